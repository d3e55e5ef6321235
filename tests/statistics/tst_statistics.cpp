#include "foundation/sqlliteral.h"
#include "printer/printout.h"
#include "printer/printtail.h"
#include "printer/templatelibrary.h"
#include "shared/session.h"
#include "statistics/chargereports.h"
#include "statistics/salescounts.h"
#include "statistics/saleslists.h"
#include "support/testsupport.h"

#include <QTest>
#include <QTextDocument>

namespace {

const Period november{QDate(2026, 11, 1), QDate(2026, 11, 30)};

// Areas "1" and "10", whose keys contain one another's; marker rows of an empty row and an empty area;
// a double grave with two burials bought on the last day of November; an advance-bought plot bought
// long before; reservations on the last evening of November and at the first moment after it; niches
// with markers of an empty room and an empty hall, storages begun on the last day and the day after.
void seed(TestData& data) {
    for (
        const char* statement : {
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 状态, 寿穴) VALUES "
            "('1', '1', '0001', '单人墓', 8000, '已购', 1), ('1', '1', '0002', '双人墓', 12000, '已购', 0), "
            "('1', '1', '0003', '单人墓', 8000, '已预订', NULL), ('1', '1', '0004', '单人墓', 8000, '已预订', NULL), "
            "('10', '1', '0001', '单人墓', 9000, '已购', 0), ('10', '1', '0002', '单人墓', 9000, '已购', 1), "
            "('10', '1', '0003', '单人墓', 15000, '已购', 0)",
            "INSERT INTO mq_wz (墓区, 排) VALUES ('1', '2')",
            "INSERT INTO mq_wz (墓区) VALUES ('9')",
            "INSERT INTO gm_dj (墓碑位置, 购墓日期, 业务员, 墓碑类型, 故者姓名) VALUES "
            "('11排0001号', '2026-11-05', '钱业务', '卧碑', NULL), "
            "('11排0002号', '2026-11-30', '孙业务', '立碑', '张三'), ('11排0002号', '2026-11-30', '孙业务', '立碑', '李四'), "
            "('101排0001号', '2026-11-10', '钱业务', '卧碑', NULL), ('101排0002号', '2025-03-01', '孙业务', '立碑', NULL), "
            "('101排0003号', '2026-12-01', '钱业务', '卧碑', NULL)",
            "INSERT INTO ydmd (墓碑位置, 预交金额, 操作时间) VALUES ('11排0003号', 3000, '2026-11-30 15:30:00'), "
            "('11排0004号', 2000, '2026-12-01 00:00:00')",
            "INSERT INTO gm_xf1 (墓碑位置, 购墓日期, 安葬日期, 墓地费, 合计, 操作方式, 操作日期) VALUES "
            "('11排0001号', '2026-11-05', NULL, 8000, 11000, '购墓', '2026-11-05 09:00:00'), "
            "('11排0002号', '2026-11-30', '2026-11-30', 12000, 15500.5, '购墓', '2026-11-30 23:59:59'), "
            "('101排0001号', '2026-11-10', '2026-11-12', 9000, 12000, '购墓', '2026-11-10 10:00:00'), "
            "('101排0003号', '2026-12-01', NULL, 15000, 18000, '购墓', '2026-12-01 00:00:00'), "
            "('101排0002号', NULL, NULL, 0, 600, '加续费', '2026-11-30 18:00:00')",
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 状态) VALUES ('福', '1', '1', '0001', '已使用'), "
            "('福', '1', '1', '0002', '已使用'), ('福', '1', '2', '0003', '已使用')",
            "INSERT INTO ghjc_wz (厅, 室) VALUES ('福', '2')",
            "INSERT INTO ghjc_wz (厅) VALUES ('寿')",
            "INSERT INTO ghjc_dj (存放位置, 故者姓名, 日期起) VALUES ('福1室0001号', '陈一', '2026-11-30'), "
            "('福1室0002号', '陈二', '2026-11-15'), ('福1室0003号', '陈三', '2026-12-01')",
            "INSERT INTO czy (操作员, 级别) VALUES ('钱业务', '业务员'), ('孙业务', '业务员'), ('周操作', '操作员')",
        })
        data.sql(text(statement));
}

QString figures(const QList<Figure>& list) {
    QStringList lines;
    for (const Figure& figure : list)
        lines << QStringLiteral("%1 %2 %3")
                     .arg(figure.label)
                     .arg(figure.count)
                     .arg(Tally::percent(figure.share));
    return lines.join(QLatin1Char('\n'));
}

// What pelu-print makes of a job, as text: the golden text of a printed statistic.
QString printed(TestData& data, const PrintJob& job) {
    const PrintRequest request = PrintRequest::parse(PrintBridge::commandTail(job));
    const Printout printout = Printout::prepare(data.db(), TemplateLibrary(data.folder().templatesFolder()),
                                                request, testNow().date());
    return printout.layOut()->toPlainText().trimmed();
}

// The rows a printed query selects, by one column.
QStringList selected(TestData& data, const QString& query, const QString& column) {
    return data.db().texts(QStringLiteral("SELECT %1 FROM (%2) printed ORDER BY 1").arg(column, query), {},
                           QStringLiteral("test"));
}

} // namespace

class StatisticsTest : public QObject {
    Q_OBJECT

private slots:
    // Real plots only; a sale is a plot however many register rows it has; the last day is inside; the
    // advance-bought plots are all-time, so their share of the period's sales may pass 100 %. The
    // print holds exactly the figures counted.
    void plotSalesCountPlotsOnce() {
        TestData data;
        seed(data);
        SalesCounts counts(data.db());
        const QList<Figure> sales = counts.count(CountKind::PlotSales, november);
        QCOMPARE(figures(sales),
                 text("总位置数 7 100.00%\n已购买数 3 42.86%\n已预订数 1 14.29%\n寿穴总数 2 66.67%"));
        QCOMPARE(
            printed(data, counts.print(CountKind::PlotSales, sales, november)),
            text("公墓管理处\n从2026-11-01至2026-11-30墓位销售情况统计\n类型\n位置数\n百分比\n"
                 "总位置数\n7\n100.00%\n已购买数\n3\n42.86%\n已预订数\n1\n14.29%\n寿穴总数\n2\n66.67%\n\n"
                 "打印日期：2026-12-06"));

        // The double grave counts once in its type, and the shares are of the counted plots.
        const QList<Figure> types = counts.count(CountKind::TombstoneTypes, november);
        QCOMPARE(figures(types), text("卧碑 2 66.67%\n立碑 1 33.33%"));
        QCOMPARE(printed(data, counts.print(CountKind::TombstoneTypes, types, november)),
                 text("公墓管理处\n2026-11-01至2026-11-30碑型销售统计打印\n碑型\n销售数量\n百分比\n"
                      "卧碑\n2\n66.67%\n立碑\n1\n33.33%\n合计\n3\n\n打印日期：2026-12-06"));
        QVERIFY(counts.count(CountKind::TombstoneTypes, {QDate(2026, 10, 1), QDate(2026, 10, 31)}).isEmpty());

        // Sales without a chosen type stay in the divisor.
        data.sql(text(
            "INSERT INTO gm_dj (墓碑位置, 购墓日期, 业务员, 墓碑类型) VALUES "
            "('101排0004号', '2026-11-20', '钱业务', ''), ('101排0005号', '2026-11-21', '孙业务', NULL)"));
        QCOMPARE(figures(counts.count(CountKind::TombstoneTypes, november)),
                 text("卧碑 2 40.00%\n立碑 1 20.00%"));
    }

    // One row per month, in order, the months without sales at 0.
    void monthlyCountsCoverTheWholeYear() {
        TestData data;
        seed(data);
        SalesCounts counts(data.db());
        const QList<Figure> sales = counts.count(CountKind::PlotSalesByMonth, Period::ofYear(2026));
        QCOMPARE(sales.size(), 12);
        QCOMPARE(sales.at(10).label, text("十一月"));
        QCOMPARE(sales.at(10).count, qint64(3));
        QCOMPARE(sales.at(11).count, qint64(1));
        qint64 others = 0;
        for (int month = 0; month < 10; ++month)
            others += sales.at(month).count;
        QCOMPARE(others, qint64(0));
        QCOMPARE(counts.count(CountKind::PlotSalesByMonth, Period::ofYear(2025)).at(2).count, qint64(1));

        const QList<Figure> storages = counts.count(CountKind::StoragesByMonth, Period::ofYear(2026));
        QCOMPARE(storages.at(10).count, qint64(2));
        QCOMPARE(storages.at(11).count, qint64(1));
        const QString year =
            printed(data, counts.print(CountKind::StoragesByMonth, storages, Period::ofYear(2026)));
        QVERIFY2(year.startsWith(text("公墓管理处\n2026 年骨灰寄存统计打印\n月份\n数量\n一月\n0\n")),
                 qPrintable(year));
        QVERIFY2(year.endsWith(text("十一月\n2\n十二月\n1\n合计\n3\n\n打印日期：2026-12-06")),
                 qPrintable(year));

        QCOMPARE(DateText::parseYear(QStringLiteral(" 2007 ")).value_or(0), 2007);
        for (const char* wrong : {"207", "20e7", "2O07", "20071", "-207", "２００７"})
            QVERIFY2(!DateText::parseYear(text(wrong)), wrong);
    }

    // Niches without the markers; an empty columbarium shares 0; counts beyond 16 bits stay whole.
    void nicheOccupancyCountsNichesAndShares() {
        {
            TestData empty;
            QCOMPARE(figures(SalesCounts(empty.db()).count(CountKind::NicheOccupancy, november)),
                     text("总寄存位 0 0.00%\n已寄存位 0 0.00%"));
        }
        TestData data;
        seed(data);
        SalesCounts counts(data.db());
        const QList<Figure> occupancy = counts.count(CountKind::NicheOccupancy, november);
        QCOMPARE(figures(occupancy), text("总寄存位 3 100.00%\n已寄存位 2 66.67%"));
        QCOMPARE(printed(data, counts.print(CountKind::NicheOccupancy, occupancy, november)),
                 text("公墓管理处\n2026-11-01至2026-11-30骨灰寄存统计\n类型\n位置数\n百分比\n"
                      "总寄存位\n3\n100.00%\n已寄存位\n2\n66.67%\n\n打印日期：2026-12-06"));

        data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 状态) WITH RECURSIVE n(i) AS (SELECT 1 "
            "UNION ALL SELECT i + 1 FROM n WHERE i < 39997) SELECT '禄', "
            "CAST(1 + i / 10000 AS TEXT), '1', SUBSTR(CAST(10000 + i AS TEXT), 2), '未使用' FROM n"));
        const QList<Figure> many = counts.count(CountKind::NicheOccupancy, november);
        QCOMPARE(many.first().count, qint64(40000));
        QCOMPARE(many.last().share, 2.0 / 40000);
    }

    // A failure while the work table is refilled leaves the last print's rows as they were.
    void aWorkTableIsRefilledWhole() {
        TestData data;
        seed(data);
        SalesCounts counts(data.db());
        counts.print(CountKind::PlotSales, counts.count(CountKind::PlotSales, november), november);
        const QString before = data.dump(QStringLiteral("MwxsSjdtj"));
        // One plot bought in 2025, both advance-bought plots of all time: a share of 200 %, as counted.
        const QList<Figure> year = counts.count(CountKind::PlotSales, Period::ofYear(2025));
        QCOMPARE(Tally::percent(year.last().share), QStringLiteral("200.00%"));
        for (int write = 1; write <= 5; ++write) {
            data.db().failNthWrite(write);
            QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                     counts.print(CountKind::PlotSales, year, Period::ofYear(2025)));
            QCOMPARE(data.dump(QStringLiteral("MwxsSjdtj")), before);
        }
        data.db().failNthWrite(0);
        counts.print(CountKind::PlotSales, year, Period::ofYear(2025));
        QCOMPARE(data.count(QStringLiteral("MwxsSjdtj")), 4);
        QCOMPARE(data.value(QStringLiteral("SELECT 位置数 FROM MwxsSjdtj WHERE 类型 = '已购买数'")).toInt(),
                 1);
    }

    // The reports select every moment of the last day and nothing of the day after; the print right is
    // asked first, with its message.
    void chargeReportsCoverWholeDays() {
        TestData data;
        seed(data);
        Session session;
        session.operatorName = QStringLiteral("张三");
        const SaveOutcome sales = ChargeReports::print(session, ChargeReports::cemetery().at(0), november);
        QCOMPARE(
            PrintBridge::commandTail(sales.prints.value(0)),
            text("gm_tj1    $#select * from gm_xf1 where 操作方式 = '购墓' and 购墓日期 >= '2026-11-01' and "
                 "购墓日期 < '2026-12-01'@2026-11-01到2026-11-30公墓销售统计表(墓区)"));
        QCOMPARE(sales.prints.value(0).listName.value_or(QString()), QStringLiteral("gm_tj1"));
        QCOMPARE(selected(data, sales.prints.value(0).query, QStringLiteral("墓碑位置")),
                 texts({"101排0001号", "11排0001号", "11排0002号"}));
        const PrintJob renewals =
            ChargeReports::print(session, ChargeReports::cemetery().at(1), november).prints.value(0);
        QCOMPARE(selected(data, renewals.query, QStringLiteral("墓碑位置")), texts({"101排0002号"}));

        const PrintJob refunds =
            ChargeReports::print(session, ChargeReports::columbarium().at(3), november).prints.value(0);
        QCOMPARE(
            PrintBridge::commandTail(refunds),
            text(
                "jctf_tj   $#select * from JC_tf where 操作日期 >= '2026-11-01' and 操作日期 < '2026-12-01'"));

        session.flags.printDenied = true;
        const SaveOutcome denied =
            ChargeReports::print(session, ChargeReports::columbarium().at(0), november);
        QVERIFY(!denied.saved);
        QCOMPARE(denied.message->text, text("您没有打印记录权限！"));
        QCOMPARE(denied.message->caption, text("张三"));
    }

    // Area "1" is not area "10"; the salesman is exact; a price is read the same way whichever bound it
    // is; a reservation of the last evening is listed; the print hands over the listed query.
    void salesListsFilterExactly() {
        TestData data;
        seed(data);
        QCOMPARE(SalesLists(data.db()).filterChoices(SalesListKind::Salesman),
                 texts({"全部", "孙业务", "钱业务"}));
        QCOMPARE(SalesLists(data.db()).filterChoices(SalesListKind::AreaSales),
                 texts({"全部", "1", "10", "9"}));
        const auto keys = [&](SalesListKind kind, const SalesListChoice& choice) {
            return selected(data, SqlLiteral::inlined(*SalesLists::listing(kind, choice)),
                            QStringLiteral("墓碑位置"));
        };
        QCOMPARE(keys(SalesListKind::AreaSales, {text("1"), {}, {}, november}),
                 texts({"11排0001号", "11排0002号"}));
        QCOMPARE(keys(SalesListKind::AreaSales, {text("全部"), {}, {}, november}),
                 texts({"101排0001号", "11排0001号", "11排0002号"}));
        QCOMPARE(keys(SalesListKind::AreaBurials, {text("10"), {}, {}, november}), texts({"101排0001号"}));
        QCOMPARE(keys(SalesListKind::AreaReservations, {text("1"), {}, {}, november}), texts({"11排0003号"}));
        QCOMPARE(keys(SalesListKind::Salesman, {text("孙业务"), {}, {}, november}), texts({"11排0002号"}));
        QCOMPARE(keys(SalesListKind::PriceRange, {{}, text(" 9000"), {}, november}),
                 texts({"101排0001号", "11排0002号"}));
        QCOMPARE(keys(SalesListKind::PriceRange, {{}, {}, text("9000元"), november}),
                 texts({"101排0001号", "11排0001号"}));
        QVERIFY(!SalesLists::listing(SalesListKind::PriceRange, {{}, text(" "), {}, november}));

        const SalesListChoice area{text("10"), {}, {}, november};
        const PrintJob job =
            SalesLists::print(SalesListKind::AreaReservations,
                              *SalesLists::listing(SalesListKind::AreaReservations, area), area);
        QCOMPARE(
            PrintBridge::commandTail(job),
            text(
                "gm_tj3    $#select * from ydmd where coalesce(墓碑位置, '') in (select 墓碑位置 from mq_wz where 墓区 = '10') "
                "and 操作时间 >= '2026-11-01' and 操作时间 < '2026-12-01'@2026-11-01到2026-11-30公墓预定统计表(10)"));
        QVERIFY(!job.listName);
        const SalesListChoice prices{{}, text("1"), {}, november};
        QCOMPARE(*SalesLists::print(SalesListKind::PriceRange, {}, prices).heading,
                 text("2026-11-01到2026-11-30公墓购墓统计表"));

        QCOMPARE(SalesLists::countLabel(1), text("墓碑个数： 1"));
        QCOMPARE(SalesLists::sumLabel(1, 1200), text("费用合计： 1200"));
        QCOMPARE(SalesLists::countLabel(0), text("墓碑个数：  0"));
        QCOMPARE(SalesLists::sumLabel(0, 0), text("费用合计：0"));
    }
};

QTEST_MAIN(StatisticsTest)
#include "tst_statistics.moc"
