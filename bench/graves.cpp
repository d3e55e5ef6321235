// Measurements of the grave inventory: plot set-up.
#include "bench/benchmark.h"
#include "bench/cemetery.h"
#include "bench/workloads.h"
#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/sqlliteral.h"
#include "graves/plotvocabulary.h"
#include "shared/positionkey.h"
#include "shared/session.h"

namespace {

const QString benchArea = QStringLiteral("第1区");

void setupRun(Bench& bench) {
    ShellRace race;
    race.name = QStringLiteral("setup-run");
    race.title = QStringLiteral("a run of %1 plots in a new row").arg(runLength);
    race.table = QStringLiteral("mq_wz");
    race.length = runLength;
    // Each run goes into a row of its own, in both copies alike.
    race.values = [](int run) {
        const PlotSetupInput input = runInNewRow(QStringLiteral("新%1").arg(run));
        QList<std::pair<QString, QString>> values = {
            {QStringLiteral("墓区"), SqlLiteral::text(input.area)},
            {QStringLiteral("排"), SqlLiteral::text(input.row)},
            {QStringLiteral("样式"), SqlLiteral::text(input.style)},
            {QStringLiteral("状态"), SqlLiteral::text(PlotState::free)}};
        const char* const prices[] = {"墓地费", "墓碑费", "工料费", "家族费", "绿化费", "其它"};
        for (int i = 0; i < int(std::size(prices)); ++i)
            values.append(
                {QString::fromUtf8(prices[i]), SqlLiteral::number(Money::parseLeading(input.prices.at(i)))});
        return values;
    };
    race.write = [](Database& database, int run) {
        Session session;
        YesPrompter prompter;
        QuietView view;
        PlotSetupService service(database, session, prompter);
        // The clerk adds the row, then types the run into it.
        const PlotSetupInput input = runInNewRow(QStringLiteral("新%1").arg(run));
        return service.addRow(input) && service.createRun(input, view) && view.results.size() == runLength;
    };
    raceTheShell(bench, race);
}

void missingNumbers(Bench& bench) {
    const QString file = bench.cemeteryCopy(QStringLiteral("missing"));
    Database database(file, Database::Mode::Open);
    // 9,000 plots numbered 1 to 10,000 with every tenth number left out.
    QStringList numbers;
    for (int number = 1; number <= 10000; ++number)
        if (number % 10)
            numbers << PositionKey::fourDigitNumber(QString::number(number));
    Cemetery::addRow(database, benchArea, QStringLiteral("检测"), numbers);

    Session session;
    YesPrompter prompter;
    QuietView view;
    PlotSetupService service(database, session, prompter);
    PlotSetupInput input;
    input.area = benchArea;
    input.rowsListed = 1;
    input.row = QStringLiteral("检测");
    QList<double> times;
    for (int run = 0; run < bench.repeats(); ++run)
        times << millisecondsOf([&] { service.listMissingNumbers(input, view); });
    // 10,000 has no four-character number of its own, so 999 of the 1,000 gaps can be listed.
    if (view.results.size() != 999)
        fail(QStringLiteral("the scan listed %1 missing numbers instead of 999").arg(view.results.size()));

    bench.out() << "missing: the missing numbers of a row of " << numbers.size()
                << " plots numbered 1-10000 (median of " << bench.repeats() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 20 ms)" << Qt::endl;
}

} // namespace

PlotSetupInput runInNewRow(const QString& row) {
    PlotSetupInput input;
    input.area = benchArea;
    input.rowsListed = 1;
    input.row = row;
    input.start = QStringLiteral("1");
    input.count = QString::number(runLength);
    input.style = QStringLiteral("单人墓");
    input.prices = {QStringLiteral("12000"), QStringLiteral("3000"), QStringLiteral("800"),
                    QStringLiteral("0"),     QStringLiteral("200"),  QStringLiteral("0")};
    return input;
}

Measurement setupRunMeasurement() {
    return {QStringLiteral("setup-run"),
            QStringLiteral(
                "a run of 10,000 plots in a new row, against the sqlite3 shell inserting the same rows"),
            setupRun};
}

Measurement missingNumbersMeasurement() {
    return {QStringLiteral("missing"),
            QStringLiteral("the missing-number scan of a row of 9,000 plots with 1,000 gaps"),
            missingNumbers};
}
