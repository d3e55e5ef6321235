// Measurements of the backup: a verified copy of a full-size office, and what the office's own
// writes wait while an automatic copy runs beside them.
#include "bench/benchmark.h"
#include "bench/cemetery.h"
#include "bench/columbarium.h"
#include "foundation/database.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>

namespace {

constexpr int feeRecords = 300000;

qint64 feeRowsIn(const QString& copy) {
    return Database(copy, Database::Mode::ReadOnly)
        .scalar(QStringLiteral("SELECT COUNT(*) FROM gm_xf1"), {}, QStringLiteral("检查备份"))
        .toLongLong();
}

void backup(Bench& bench) {
    const QString file = bench.cemeteryCopy(QStringLiteral("backup"));
    Database database(file, Database::Mode::Open);
    Columbarium::generate(database, {});
    Cemetery::addFeeRecords(database, feeRecords);
    const QString copy = bench.folder() + QStringLiteral("/backup.dat");

    QList<double> taking;
    for (int run = 0; run < bench.repeats(); ++run)
        taking << millisecondsOf([&] { database.backupTo(copy); });
    if (feeRowsIn(copy) != feeRecords)
        fail(QStringLiteral("the backup holds %1 fee rows").arg(feeRowsIn(copy)));

    // An automatic copy on a connection of its own while the office saves a memo every 10 ms.
    std::atomic<bool> copying = true;
    QThread* worker = QThread::create([&] {
        Database own(file, Database::Mode::ReadOnly);
        own.backupTo(copy);
        copying = false;
    });
    QList<double> saving;
    worker->start();
    while (copying) {
        saving << millisecondsOf([&] {
            database.exec(QStringLiteral("INSERT INTO mq_bwl (内容) VALUES ('bench')"), {},
                          QStringLiteral("写入"));
        });
        QThread::msleep(10);
    }
    worker->wait();
    delete worker;

    bench.out() << "backup: a verified copy of " << QFileInfo(file).size() / (1024 * 1024)
                << " MB (100000 plots, 50000 niches, " << feeRecords << " fee rows; median of "
                << bench.repeats() << ")\n"
                << "  snapshot and check:  " << milliseconds(median(taking)) << "  (goal: at most 3000 ms)\n"
                << "  longest save beside an automatic copy: "
                << milliseconds(saving.isEmpty() ? 0 : *std::max_element(saving.cbegin(), saving.cend()))
                << " of " << saving.size() << "  (goal: at most 100 ms)" << Qt::endl;
}

} // namespace

Measurement backupMeasurement() {
    return {QStringLiteral("backup"),
            QStringLiteral("a verified backup of 100,000 plots, 50,000 niches and 300,000 fee rows, and the "
                           "office's saves beside an automatic one"),
            backup};
}
