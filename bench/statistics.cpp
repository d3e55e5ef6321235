// Measurements of the statistics: every count of a year, the monthly counts and a sales list, on the
// cemetery and columbarium of twenty busy years.
#include "bench/benchmark.h"
#include "bench/cemetery.h"
#include "bench/columbarium.h"
#include "foundation/database.h"
#include "foundation/ui/recordgrid.h"
#include "statistics/salescounts.h"
#include "statistics/saleslists.h"

namespace {

constexpr int feeRows = 300000;
constexpr int registerRows = 200000;
constexpr int nicheFeeRows = 150000;
constexpr int years = 20;
constexpr int countedYear = 2015;

// A storage for every occupied niche, begun over twenty years, and the niche fee rows of storages
// and renewals.
void addStorages(Database& database, const ColumbariumShape& shape) {
    database.transaction([&] {
        database.exec(
            QStringLiteral("INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 日期起, 日期止, 联系人) "
                           "SELECT 存放位置, '红木', '陈' || rid, '男', %1, '2045-01-01', '陈小' || rid "
                           "FROM ghjc_wz WHERE 状态 = '已使用'")
                .arg(Cemetery::spreadDate(QStringLiteral("rid"))),
            {}, QStringLiteral("生成寄存登记"));
        database.exec(
            QStringLiteral(
                "INSERT INTO ghjc_xf1 (存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, 操作员, "
                "操作日期) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT '第' || (q / ? + 1) || '厅' || (q / ? % ? + 1) || '室' || SUBSTR('0000' || (q % ? + 1), -4) "
                "|| '号', '陈' || i, '陈小' || i, %1, '2045-01-01', 2400, 2400, "
                "CASE WHEN i % 3 = 0 THEN '存入' ELSE '续存' END, 'Admin', %1 || ' 15:30:00' "
                "FROM (SELECT i, i % ? AS q FROM n)")
                .arg(Cemetery::spreadDate(QStringLiteral("i"))),
            {nicheFeeRows, shape.roomsPerHall * shape.nichesPerRoom, shape.nichesPerRoom, shape.roomsPerHall,
             shape.nichesPerRoom, shape.niches()},
            QStringLiteral("生成寄存交费记录"));
    });
}

void statistics(Bench& bench) {
    Database database(bench.cemeteryCopy(QStringLiteral("stats")), Database::Mode::Open);
    const CemeteryShape cemetery;
    const ColumbariumShape columbarium;
    const double generating = millisecondsOf([&] {
        Cemetery::addFeeRecords(database, feeRows, years);
        Cemetery::addRegisterRows(database, cemetery, registerRows);
        Columbarium::generate(database, columbarium);
        addStorages(database, columbarium);
    });
    bench.out() << "stats: " << feeRows << " fee rows, " << registerRows << " register rows, "
                << columbarium.niches() << " niches, " << nicheFeeRows << " niche fee rows over " << years
                << " years, generated in " << milliseconds(generating) << "; medians of " << bench.repeats()
                << " runs\n";

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
