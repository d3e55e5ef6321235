// Measurements of the lamp payments: a year's takings and the plots that have not paid for a year,
// with ten payments a plot over twenty years.
#include "bench/benchmark.h"
#include "business/lampqueries.h"
#include "foundation/database.h"
#include "foundation/ui/recordgrid.h"

namespace {

constexpr int year = 2015;

// Times the grid showing `query` and its label's figure, as the query window does; the goal is for the
// figure alone or for both.
void timeGrid(Bench& bench, const QString& name, const BoundQuery& query,
              const std::function<double(Database&, RecordGrid&)>& figure, const QString& goal,
              bool goalForBoth) {
    Database database(bench.busyOffice(), Database::Mode::ReadOnly);
    const CemeteryShape shape = bench.cemetery();
    YesPrompter prompter;
    QList<double> shown;
    QList<double> figured;
    double value = 0;
    for (int run = 0; run < bench.repeats(); ++run) {
        RecordGrid grid;
        grid.attach(database, prompter);
        shown << millisecondsOf([&] { grid.setQuery(query); });
        figured << millisecondsOf([&] { value = figure(database, grid); });
    }
    if (value <= 0)
        fail(name + QStringLiteral(" found nothing"));
    const QString goalNote = QStringLiteral("  (goal: ") + goal + QStringLiteral(")");
    bench.out() << name << ": " << count(shape.lampPayments()) << " lamp payments over 20 years, "
                << count(shape.registrations()) << " register rows of " << count(shape.plots())
                << " plots; year " << year << ", median of " << bench.repeats() << "\n"
                << "  first screen of the list:  " << milliseconds(median(shown)) << "\n"
                << "  the label's figure:        " << milliseconds(median(figured)) << "  (" << value << ")"
                << (goalForBoth ? QString() : goalNote) << "\n"
                << "  both:                      " << milliseconds(median(shown) + median(figured))
                << (goalForBoth ? goalNote : QString()) << Qt::endl;
}

void lampSummary(Bench& bench) {
    timeGrid(
        bench, QStringLiteral("lamp-summary"), LampQueries::yearSummary(year),
        [](Database& database, RecordGrid&) { return LampQueries::yearTotal(database, year); },
        QStringLiteral("at most 100 ms"), false);
}

void lampUnpaid(Bench& bench) {
    timeGrid(
        bench, QStringLiteral("lamp-unpaid"), LampQueries::unpaid(year),
        [](Database& database, RecordGrid&) { return double(LampQueries::unpaidCount(database, year)); },
        QStringLiteral("at most 100 ms"), true);
}

} // namespace

Measurement lampSummaryMeasurement() {
    return {
        QStringLiteral("lamp-summary"),
        QStringLiteral("a year's lamp payments and their total, of ten payments a plot over twenty years"),
        lampSummary};
}

Measurement lampUnpaidMeasurement() {
    return {QStringLiteral("lamp-unpaid"),
            QStringLiteral("the plots that have not paid their lamps for a year, and their count"),
            lampUnpaid};
}
