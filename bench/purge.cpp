// Measurement of the purge of old fee records in the operators window.
#include "admin/purgeservice.h"
#include "bench/benchmark.h"
#include "bench/cemetery.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "shared/session.h"

#include <QDir>
#include <QFileInfo>

namespace {

void purge(Bench& bench) {
    const QString file = bench.cemeteryCopy(QStringLiteral("purge"));
    Database database(file, Database::Mode::Open);
    const int feeRecords = bench.cemetery().feeRecords();
    Session session;
    session.operatorName = QStringLiteral("Admin");
    YesPrompter prompter;
    const DataFolder folder(QFileInfo(file).absolutePath());
    const SystemClock clock;
    PurgeService service(database, session, prompter, folder, clock);
    // Every generated fee record was made in 2025; only the purchase fee records are ticked.
    const QList<bool> purchaseFees = {false, false, true, false, false, false};
    QList<double> backups, removals, compactions;
    qint64 sizeBefore = 0, sizeAfter = 0;
    // Each run writes and then deletes three fee rows a plot: three runs give a steady median.
    for (int run = 0; run < std::min(bench.repeats(), 3); ++run) {
        Cemetery::addFeeRecords(database, feeRecords);
        sizeBefore = QFileInfo(file).size();
        const SaveOutcome outcome = service.purge(QDate(2026, 1, 1), purchaseFees);
        sizeAfter = QFileInfo(file).size();
        if (!outcome.message || !outcome.message->text.contains(QString::number(feeRecords)) ||
            database.scalar(QStringLiteral("SELECT count(*) FROM gm_xf1"), {}, QStringLiteral("检查"))
                    .toInt() != 0)
            fail(QStringLiteral("the purge did not remove every fee record"));
        const PurgeService::Timings& timings = service.lastTimings();
        backups << double(timings.backup.count());
        removals << double(timings.removal.count());
        compactions << double(timings.compaction.count());
        QDir(folder.backupFolder()).removeRecursively();
    }
    bench.out() << "purge: " << feeRecords << " fee records before a date removed (median of "
                << removals.size() << ")\n"
                << "  backup first:        " << milliseconds(median(backups)) << "\n"
                << "  removed:             " << milliseconds(median(removals)) << "  (goal: at most "
                << (bench.scale() >= 10 ? 10000 : 3000) << " ms)\n"
                << "  space given back:    " << milliseconds(median(compactions)) << "  (the file "
                << sizeBefore / (1024 * 1024) << " MB before, " << sizeAfter / (1024 * 1024) << " MB after)"
                << Qt::endl;
}

} // namespace

Measurement purgeMeasurement() {
    return {QStringLiteral("purge"), QStringLiteral("the purge of 3 fee records a plot made before a date"),
            purge};
}
