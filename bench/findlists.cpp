// Measurements of the expiry lists and the searches of the cemetery's and the columbarium's
// registrations: each list's first screen and its count.
#include "bench/benchmark.h"
#include "business/plotsearch.h"
#include "columbarium/nichesearch.h"
#include "foundation/database.h"
#include "foundation/expirylist.h"
#include "foundation/ui/recordgrid.h"

namespace {

// The generated registrations end from 2025 on, so a list seen from here holds a year of expired ones.
const QDate benchToday(2026, 6, 1);

// Times the grid showing `query` and counting its rows; prints the median against the goal.
void timeList(Bench& bench, const QString& name, const QString& what, const BoundQuery& query, double goal) {
    Database database(bench.busyOffice(), Database::Mode::ReadOnly);
    YesPrompter prompter;
    QList<double> times;
    qint64 rows = 0;
    for (int run = 0; run < bench.repeats(); ++run) {
        RecordGrid grid;
        grid.attach(database, prompter);
        grid.resize(1000, 600);
        times << millisecondsOf([&] {
            grid.setQuery(query);
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
        ExpiryList::listing(ExpiryKind::Plots, benchToday, 90), 50);
}

void search(Bench& bench) {
    const SearchBook& book = PlotSearch::purchases();
    timeList(bench, QStringLiteral("search"),
             QStringLiteral("a deceased's name fragment in %1 registrations")
                 .arg(count(bench.cemetery().registrations())),
             book.find(book.fields.first(), QStringLiteral("李123")), 100);
}

void nicheSearch(Bench& bench) {
    const SearchBook& book = NicheSearch::storages();
    timeList(bench, QStringLiteral("niche-search"),
             QStringLiteral("a deceased's name fragment in the storages"),
             book.find(book.fields.first(), QStringLiteral("陈123")), 50);
}

void nicheExpiry(Bench& bench) {
    timeList(bench, QStringLiteral("niche-expiry"), QStringLiteral("storages ending within 30 days"),
             ExpiryList::listing(ExpiryKind::Niches, benchToday, 30), 50);
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
