// Measurement of the purge of old fee records in the operators window.
#include "admin/operatorservice.h"
#include "bench/benchmark.h"
#include "bench/cemetery.h"
#include "foundation/database.h"
#include "foundation/session.h"

namespace {

void purge(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("purge")), Database::Mode::Open);
    const int feeRecords = bench.cemetery().feeRecords();
    Session session;
    session.operatorName = QStringLiteral("Admin");
    YesPrompter prompter;
    OperatorService service(database, session, prompter);
    // Every generated fee record was made in 2025; only the purchase fee records are ticked.
    const QList<bool> purchaseFees = {false, false, true, false, false, false};
    QList<double> runs;
    // Each run writes and then deletes three fee rows a plot: three runs give a steady median.
    for (int run = 0; run < std::min(bench.repeats(), 3); ++run) {
        Cemetery::addFeeRecords(database, feeRecords);
        SaveOutcome outcome;
        runs << millisecondsOf([&] { outcome = service.purge(QDate(2026, 1, 1), purchaseFees); });
        if (!outcome.message || !outcome.message->text.contains(QString::number(feeRecords)) ||
            database.scalar(QStringLiteral("SELECT count(*) FROM gm_xf1"), {}, QStringLiteral("检查"))
                    .toInt() != 0)
            fail(QStringLiteral("the purge did not remove every fee record"));
    }
    bench.out() << "purge: " << feeRecords << " fee records before a date removed (median of " << runs.size()
                << ")\n"
                << "  removed:             " << milliseconds(median(runs)) << "  (goal: at most 3000 ms)"
                << Qt::endl;
}

} // namespace

Measurement purgeMeasurement() {
    return {QStringLiteral("purge"), QStringLiteral("the purge of 3 fee records a plot made before a date"),
            purge};
}
