// Measurements of the backup: a verified copy of a full-size office, and what the office's own
// writes wait while an automatic copy runs beside them.
#include "bench/benchmark.h"
#include "foundation/database.h"

#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <memory>

namespace {

qint64 feeRowsIn(const QString& copy) {
    return Database(copy, Database::Mode::ReadOnly)
        .scalar(QStringLiteral("SELECT COUNT(*) FROM gm_xf1"), {}, QStringLiteral("检查备份"))
        .toLongLong();
}

double longest(const QList<double>& values) {
    return values.isEmpty() ? 0 : *std::max_element(values.cbegin(), values.cend());
}

void backup(Bench& bench) {
    const QString file = bench.cemeteryCopy(QStringLiteral("backup"));
    Database database(file, Database::Mode::Open);
    const int feeRecords = bench.cemetery().feeRecords();
    Cemetery::addFeeRecords(database, feeRecords);
    const QString copy = bench.folder() + QStringLiteral("/backup.dat");

    // The operator waits for the copy; its check runs while the office works on.
    QList<double> copying;
    QList<double> checking;
    for (int run = 0; run < bench.repeats(); ++run) {
        copying << millisecondsOf([&] { database.copyForBackup(copy); });
        checking << millisecondsOf([&] { Database::placeCheckedBackup(copy); });
    }
    if (feeRowsIn(copy) != feeRecords)
        fail(QStringLiteral("the backup holds %1 fee rows").arg(feeRowsIn(copy)));

    // The office saves a memo every 10 ms: for a while alone, then while an automatic copy runs on a
    // connection of its own.
    const auto save = [&] {
        database.exec(QStringLiteral("INSERT INTO mq_bwl (内容) VALUES ('bench')"), {},
                      QStringLiteral("写入"));
    };
    QList<double> alone;
    while (alone.size() < 200) {
        alone << millisecondsOf(save);
        QThread::msleep(10);
    }
    std::atomic<bool> automatic = true;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        Database own(file, Database::Mode::ReadOnly);
        own.backupTo(copy);
        automatic = false;
    }));
    QList<double> beside;
    worker->start();
    while (automatic) {
        beside << millisecondsOf(save);
        QThread::msleep(10);
    }
    worker->wait();

    const qint64 megabytes = QFileInfo(file).size() / (1024 * 1024);
    bench.out() << "backup: a verified copy of " << megabytes << " MB (" << bench.cemetery().plots()
                << " plots, " << bench.columbarium().niches() << " niches, " << feeRecords
                << " fee rows; median of " << bench.repeats() << ")\n"
                << "  snapshot:            " << milliseconds(median(copying)) << "  (goal: at most "
                << milliseconds(megabytes * 10.0) << ", 1 s per 100 MB)\n"
                << "  checked meanwhile:   " << milliseconds(median(checking)) << "\n"
                << "  a save alone:        median " << milliseconds(median(alone)) << ", longest "
                << milliseconds(longest(alone)) << "\n"
                << "  a save beside an automatic copy: median " << milliseconds(median(beside))
                << ", longest " << milliseconds(longest(beside)) << " of " << beside.size()
                << "  (goal: longest at most 100 ms)" << Qt::endl;
}

} // namespace

Measurement backupMeasurement() {
    return {
        QStringLiteral("backup"),
        QStringLiteral("a verified backup of the plots, niches and 3 fee rows a plot, and the office's saves "
                       "beside an automatic one"),
        backup};
}
