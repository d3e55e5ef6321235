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

// A date of the twenty years 2005 to 2024 picked by the row counter `n`, as SQL; counters that end in
// the same digit still spread over all the years.
QString spreadDate(const QString& n) {
    return QStringLiteral("printf('%04d-%02d-%02d', 2005 + %1 / 10 % 20, %1 % 12 + 1, %1 % 28 + 1)").arg(n);
}

// Two register rows for every plot of the generated cemetery (a purchase and a burial, bought the same
// day), dated over twenty years, with tombstone types and salesmen; the reserved plots' reservations.
void addRegisterRows(Database& database, const CemeteryShape& shape) {
    database.transaction([&] {
        database.exec(
            QStringLiteral(
                "INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 操作员, 业务员, 墓碑类型, "
                "主碑材质, 底碑材质, 故者姓名, 性别) "
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT i, '第' || (p / ? + 1) || '区' || (p / ? % ? + 1) || '排' || SUBSTR('0000' || (p % ? + 1), -4) "
                "|| '号', %1, %1, '2044-12-31', '王' || p, 'Admin', '业务员' || (p % 7), "
                "CASE p % 5 WHEN 0 THEN '卧碑' WHEN 1 THEN '立碑' WHEN 2 THEN '艺术碑' WHEN 3 THEN '双碑' ELSE '未定' END, "
                "'花岗岩', '青石', '李' || i, CASE i % 2 WHEN 0 THEN '男' ELSE '女' END "
                "FROM (SELECT i, i % ? AS p FROM n)")
                .arg(spreadDate(QStringLiteral("p"))),
            {registerRows, shape.rowsPerArea * shape.plotsPerRow, shape.plotsPerRow, shape.rowsPerArea,
             shape.plotsPerRow, shape.plots()},
            QStringLiteral("生成购墓登记"));
        database.exec(
            QStringLiteral("INSERT INTO ydmd (编号, 墓碑位置, 联系人, 预交金额, 成交金额, 余额, 操作员, "
                           "操作时间, 提醒日期, 需要提醒) SELECT rid, 墓碑位置, '赵' || rid, 3000, 12000, "
                           "9000, 'Admin', %1 || ' 10:00:00', %1, 0 FROM mq_wz WHERE 状态 = '已预订'")
                .arg(spreadDate(QStringLiteral("rid"))),
            {}, QStringLiteral("生成预订"));
    });
}

// A storage for every occupied niche, begun over twenty years, and the niche fee rows of storages
// and renewals.
void addStorages(Database& database, const ColumbariumShape& shape) {
    database.transaction([&] {
        database.exec(
            QStringLiteral("INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 日期起, 日期止, 联系人) "
                           "SELECT 存放位置, '红木', '陈' || rid, '男', %1, '2045-01-01', '陈小' || rid "
                           "FROM ghjc_wz WHERE 状态 = '已使用'")
                .arg(spreadDate(QStringLiteral("rid"))),
            {}, QStringLiteral("生成寄存登记"));
        database.exec(
            QStringLiteral(
                "INSERT INTO ghjc_xf1 (存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, 操作员, "
                "操作日期) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ?) "
                "SELECT '第' || (q / ? + 1) || '厅' || (q / ? % ? + 1) || '室' || SUBSTR('0000' || (q % ? + 1), -4) "
                "|| '号', '陈' || i, '陈小' || i, %1, '2045-01-01', 2400, 2400, "
                "CASE WHEN i % 3 = 0 THEN '存入' ELSE '续存' END, 'Admin', %1 || ' 15:30:00' "
                "FROM (SELECT i, i % ? AS q FROM n)")
                .arg(spreadDate(QStringLiteral("i"))),
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
        addRegisterRows(database, cemetery);
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
