// Measurements of the statistics: every count of a year, the monthly counts and a sales list, on the
// cemetery and columbarium of twenty busy years.
#include "bench/benchmark.h"
#include "foundation/database.h"
#include "foundation/ui/recordgrid.h"
#include "statistics/salescounts.h"
#include "statistics/saleslists.h"

namespace {

constexpr int countedYear = 2015;

void statistics(Bench& bench) {
    Database database(bench.busyOffice(), Database::Mode::ReadOnly);
    const CemeteryShape cemetery = bench.cemetery();
    const ColumbariumShape columbarium = bench.columbarium();
    bench.out() << "stats: " << count(cemetery.plots()) << " plots, " << count(cemetery.feeRecords())
                << " fee rows, " << count(cemetery.registrations()) << " register rows, "
                << count(columbarium.niches()) << " niches, " << count(columbarium.feeRows())
                << " niche fee rows over 20 years; medians of " << bench.repeats() << " runs\n";

    SalesCounts counts(database);
    const Period year = Period::ofYear(countedYear);
    const QList<std::pair<const char*, CountKind>> kinds = {
        {"plots, sold, reserved, advance-bought ", CountKind::PlotSales},
        {"sales by tombstone type              ", CountKind::TombstoneTypes},
        {"niches and storages begun            ", CountKind::NicheOccupancy},
        {"plots sold in each month             ", CountKind::PlotSalesByMonth},
        {"storages begun in each month         ", CountKind::StoragesByMonth},
    };
    double slowest = 0;
    for (const auto& [label, kind] : kinds) {
        QList<double> times;
        QList<Figure> figures;
        for (int run = 0; run < bench.repeats(); ++run)
            times << millisecondsOf([&] { figures = counts.count(kind, year); });
        qint64 counted = 0;
        for (const Figure& figure : figures)
            counted += figure.count;
        if (counted == 0)
            fail(QStringLiteral("the count of %1 found nothing").arg(QString::fromLatin1(label).trimmed()));
        slowest = std::max(slowest, median(times));
        bench.out() << "  " << label << milliseconds(median(times)) << "  (" << counted << " in all)\n";
    }
    bench.out() << "  slowest count:                         " << milliseconds(slowest)
                << "  (goal: at most 100 ms)\n";

    YesPrompter prompter;
    for (const QString& area : {SalesLists::all, QStringLiteral("第10区")}) {
        const BoundQuery listing = *SalesLists::listing(SalesListKind::AreaSales, {area, {}, {}, year});
        QList<double> times;
        qint64 rows = 0;
        for (int run = 0; run < bench.repeats(); ++run) {
            RecordGrid grid;
            grid.attach(database, prompter);
            times << millisecondsOf([&] {
                grid.setQuery(listing);
                rows = grid.count();
                grid.sum(QStringLiteral("合计"));
            });
        }
        bench.out() << "  sales list of " << area << ", its count and total: " << milliseconds(median(times))
                    << "  (" << rows << " rows; goal: at most 100 ms)\n";
    }
    bench.out().flush();
}

} // namespace

Measurement statisticsMeasurement() {
    return {
        QStringLiteral("stats"),
        QStringLiteral("every count of the sales and columbarium statistics for a year, the monthly counts, "
                       "and a sales list with its count and total, over twenty years of data"),
        statistics};
}
