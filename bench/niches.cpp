// Measurements of the columbarium: niche set-up and the free-niche browse.
#include "bench/benchmark.h"
#include "bench/workloads.h"
#include "columbarium/nichebrowseservice.h"
#include "columbarium/nichesetupservice.h"
#include "columbarium/nichevocabulary.h"
#include "columbarium/ui/nichegridmodel.h"
#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/sqlliteral.h"

namespace {

// A hall of the generated columbarium.
// A hall of its own: a hall takes nine rooms at the most.
const QString benchHall = QStringLiteral("基准厅");
constexpr int nicheRunLength = 10000;

NicheSetupInput nicheRun(const QString& room, int count) {
    NicheSetupInput input;
    input.hall = benchHall;
    input.room = room;
    input.start = QStringLiteral("1");
    input.step = QStringLiteral("1");
    input.count = QString::number(count);
    input.style = NicheStyle::single;
    input.layer = QStringLiteral("3");
    input.price = QStringLiteral("2400.5");
    return input;
}

void timeNicheRun(Bench& bench) {
    ShellRace race;
    race.name = QStringLiteral("niche-run");
    race.title = QStringLiteral("a run of %1 niches in a new room").arg(nicheRunLength);
    race.table = QStringLiteral("ghjc_wz");
    race.length = nicheRunLength;
    // Each run goes into a room of its own, in both copies alike.
    race.values = [](int run) {
        const NicheSetupInput input = nicheRun(QStringLiteral("新%1").arg(run), nicheRunLength);
        return QList<std::pair<QString, QString>>{
            {QStringLiteral("厅"), SqlLiteral::text(input.hall)},
            {QStringLiteral("室"), SqlLiteral::text(input.room)},
            {QStringLiteral("样式"), SqlLiteral::text(input.style)},
            {QStringLiteral("层"), SqlLiteral::text(input.layer)},
            {QStringLiteral("价位"), SqlLiteral::number(Money::parseLeading(input.price))},
            {QStringLiteral("状态"), SqlLiteral::text(NicheState::free)}};
    };
    race.write = [](Database& database, int run) {
        Session session;
        YesPrompter prompter;
        QuietView view;
        NicheSetupService service(database, session, prompter);
        // The clerk adds the room (and the hall, the first time), then types the run into it.
        const NicheSetupInput input = nicheRun(QStringLiteral("新%1").arg(run), nicheRunLength);
        if (run == 1)
            service.addHall(benchHall);
        return service.addRoom(input) && service.createRun(input, view) &&
               view.results.size() == nicheRunLength;
    };
    raceTheShell(bench, race);
}

void timeNicheMissing(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("niche-missing")), Database::Mode::Open);
    // 9,000 niches numbered 1 to 10,000 with every tenth number left out.
    database.transaction([&] {
        database.exec(
            QStringLiteral(
                "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) "
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10000) "
                "SELECT ?, '检测', '1', SUBSTR('0000' || i, -4), ?, 800, ? FROM n WHERE i % 10 <> 0"),
            {benchHall, NicheStyle::single, NicheState::free}, QStringLiteral("生成寄存位"));
    });
    Session session;
    YesPrompter prompter;
    QuietView view;
    NicheSetupService service(database, session, prompter);
    NicheSetupInput input;
    input.hall = benchHall;
    input.room = QStringLiteral("检测");
    QList<double> times;
    for (int run = 0; run < bench.repeats(); ++run)
        times << millisecondsOf([&] { service.listMissingNumbers(input, view); });
    // 10,000 has no four-character number of its own, so 999 of the 1,000 gaps can be listed.
    if (view.results.size() != 999)
        fail(QStringLiteral("the scan listed %1 missing numbers instead of 999").arg(view.results.size()));
    bench.out() << "niche-missing: the missing numbers of a room of 9000 niches numbered 1-10000 (median of "
                << bench.repeats() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 20 ms)" << Qt::endl;
}

void timeNicheBrowse(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("niche-browse")), Database::Mode::Open);
    const QString room = QStringLiteral("大");
    {
        Session session;
        YesPrompter prompter;
        QuietView view;
        NicheSetupService service(database, session, prompter);
        service.addHall(benchHall);
        service.addRoom(nicheRun(room, 5000));
        service.createRun(nicheRun(room, 5000), view);
    }
    database.exec(QStringLiteral(
                      "UPDATE ghjc_wz SET 状态 = ? WHERE 厅 = ? AND 室 = ? AND CAST(号 AS INTEGER) % 10 < 3"),
                  {NicheState::used, benchHall, room}, QStringLiteral("占用寄存位"));
    NicheBrowseService service(database);
    NicheGridModel model;
    QList<double> times;
    for (int run = 0; run < bench.repeats(); ++run)
        times << millisecondsOf([&] { model.setNiches(service.room(benchHall, room).niches); });
    if (model.rowCount() != 3500)
        fail(QStringLiteral("the browse listed %1 free niches instead of 3500").arg(model.rowCount()));
    bench.out() << "niche-browse: the free niches of a room of 5000 read and modelled (median of "
                << bench.repeats() << ")\n"
                << "  pelu:  " << milliseconds(median(times)) << "  (goal: at most 50 ms)" << Qt::endl;
}

} // namespace

Measurement nicheRunMeasurement() {
    return {QStringLiteral("niche-run"),
            QStringLiteral(
                "a run of 10,000 niches in a new room, against the sqlite3 shell inserting the same rows"),
            timeNicheRun};
}

Measurement nicheMissingMeasurement() {
    return {QStringLiteral("niche-missing"),
            QStringLiteral("the missing-number scan of a room of 9,000 niches with 1,000 gaps"),
            timeNicheMissing};
}

Measurement nicheBrowseMeasurement() {
    return {QStringLiteral("niche-browse"),
            QStringLiteral("the free niches of a room of 5,000 read and modelled"), timeNicheBrowse};
}
