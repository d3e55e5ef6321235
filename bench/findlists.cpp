// Measurements of the expiry lists and the searches of the cemetery's and the columbarium's
// registrations: each list's first screen and its count.
#include "bench/benchmark.h"
#include "business/plotsearch.h"
#include "columbarium/nichesearch.h"
#include "foundation/database.h"
#include "foundation/ui/recordgrid.h"
#include "shared/expirylist.h"

namespace {

// The generated registrations end from 2025 on, so a list seen from here holds a year of expired ones.
const QDate benchToday(2026, 6, 1);

// Times the grid showing the query `list` makes, as a window makes it, and counting its rows; prints the
// median against the goal. `prepare`, where given, changes a copy of the registrations before the timing.
void timeList(Bench& bench, const QString& name, const QString& what,
              const std::function<BoundQuery(Database&)>& list, double goal,
              const std::function<void(Database&)>& prepare = {}) {
    Database database(prepare ? bench.busyCopy(name) : bench.busyOffice(),
                      prepare ? Database::Mode::Open : Database::Mode::ReadOnly);
    if (prepare)
        prepare(database);
    YesPrompter prompter;
    QList<double> times;
    qint64 rows = 0;
    for (int run = 0; run < bench.repeats(); ++run) {
        RecordGrid grid;
        grid.attach(database, prompter);
        grid.resize(1000, 600);
        times << millisecondsOf([&] {
            grid.setQuery(list(database));
            grid.show();
            grid.grab(); // lays out and paints the first screen
            rows = grid.count();
        });
    }
    if (rows == 0)
        fail(name + QStringLiteral(" found nothing"));
    bench.out() << name << ": " << what << ", first screen and count (median of " << bench.repeats()
                << "): " << milliseconds(median(times)) << "  (" << rows << " rows; goal: at most "
                << milliseconds(goal) << ")" << Qt::endl;
}

void expiry(Bench& bench) {
    timeList(
        bench, QStringLiteral("expiry"),
        QStringLiteral("%1 registrations ending within 90 days").arg(count(bench.cemetery().registrations())),
        [](Database&) { return ExpiryList::listing(ExpiryKind::Plots, benchToday, 90); }, 50);
}

void search(Bench& bench) {
    const SearchBook& book = PlotSearch::purchases();
    timeList(
        bench, QStringLiteral("search"),
        QStringLiteral("a deceased's name fragment in %1 registrations")
            .arg(count(bench.cemetery().registrations())),
        [&](Database& database) { return book.find(database, book.fields.first(), QStringLiteral("李123")); },
        100);
}

// The generated deceased are named 李 and a number; as heard on the telephone they get names of three
// characters instead, each of the 1,960 some hundred times.
void nameLikePeople(Database& database) {
    database.transaction([&] {
        database.exec(
            QStringLiteral("UPDATE gm_dj SET 故者姓名 = substr(?, rid % 10 + 1, 1) || substr(?, rid / 10 % "
                           "14 + 1, 1) || substr(?, rid / 140 % 14 + 1, 1)"),
            {QStringLiteral("张王李赵刘陈杨黄周吴"), QStringLiteral("国建秀英强明华文志伟红军平丽"),
             QStringLiteral("国建秀英强明华文志伟红军平丽")},
            QStringLiteral("生成故者姓名"));
    });
}

void pinyinSearch(Bench& bench) {
    const SearchBook& book = PlotSearch::purchases();
    for (const QString& typed : {QStringLiteral("zgq"), QStringLiteral("zhang guo qiang")})
        timeList(
            bench, QStringLiteral("search-pinyin"),
            QStringLiteral("a deceased's name as heard, \"%1\", in %2 registrations")
                .arg(typed, count(bench.cemetery().registrations())),
            [&](Database& database) { return book.find(database, book.fields.first(), typed); }, 100,
            nameLikePeople);
}

void nicheSearch(Bench& bench) {
    const SearchBook& book = NicheSearch::storages();
    timeList(
        bench, QStringLiteral("niche-search"), QStringLiteral("a deceased's name fragment in the storages"),
        [&](Database& database) { return book.find(database, book.fields.first(), QStringLiteral("陈123")); },
        50);
}

void nicheExpiry(Bench& bench) {
    timeList(
        bench, QStringLiteral("niche-expiry"), QStringLiteral("storages ending within 30 days"),
        [](Database&) { return ExpiryList::listing(ExpiryKind::Niches, benchToday, 30); }, 50);
}

} // namespace

Measurement expiryMeasurement() {
    return {
        QStringLiteral("expiry"),
        QStringLiteral(
            "the cemetery's expiry list of 90 days over two registrations a plot: first screen and count"),
        expiry};
}

Measurement searchMeasurement() {
    return {
        QStringLiteral("search"),
        QStringLiteral("查找墓地 by a name fragment over two registrations a plot: first screen and count"),
        search};
}

Measurement pinyinSearchMeasurement() {
    return {QStringLiteral("search-pinyin"),
            QStringLiteral(
                "查找墓地 by a name's pinyin initials and full syllables over two registrations a plot: "
                "first screen and count"),
            pinyinSearch};
}

Measurement nicheSearchMeasurement() {
    return {QStringLiteral("niche-search"),
            QStringLiteral("查找寄存位置 by a name fragment over 45,000 storages: first screen and count"),
            nicheSearch};
}

Measurement nicheExpiryMeasurement() {
    return {QStringLiteral("niche-expiry"),
            QStringLiteral(
                "the columbarium's expiry list of 30 days over 45,000 storages: first screen and count"),
            nicheExpiry};
}
