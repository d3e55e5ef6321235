#include "graves/map/ploticonrules.h"
#include "graves/map/plotmapservice.h"
#include "graves/map/salesrestrictionservice.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// A plot with the map's fees; a null row makes a plot of an area without rows.
void addPlot(TestData& data, const char* area, const char* row, const char* number, const char* style,
             const char* state, int advanceBought = 0) {
    data.sql(
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, "
                       "状态, 寿穴) VALUES (?, ?, ?, ?, 1000, 200, 0, 0, 50, 300, ?, ?)"),
        {text(area), row ? text(row) : QString(), text(number), text(style), text(state), advanceBought});
}

void addBurial(TestData& data, const char* key, const char* sex) {
    data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 性别) VALUES (?, '张三', ?)"),
             {text(key), sex ? text(sex) : QString()});
}

// Each plot read as "key=picture", in the order read.
QStringList shown(const QList<MapPlot>& plots) {
    QStringList shownPlots;
    for (const MapPlot& plot : plots)
        shownPlots << plot.key + QLatin1Char('=') + QString::number(plot.icon.picture);
    return shownPlots;
}

MapFilter numbers(const char* area, const char* row, const char* first, const char* last = "") {
    MapFilter filter{text(area), row ? text(row) : QString()};
    filter.number = text(first);
    filter.last = text(last);
    filter.rowless = !row;
    return filter;
}

} // namespace

class PlotMapTest : public QObject {
    Q_OBJECT

private slots:
    void iconRules_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("advanceBought");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstSex");
        QTest::addColumn<int>("picture");
        QTest::addColumn<int>("tag");
        const auto row = [](const char* name, const char* style, const char* state, bool advanceBought,
                            int rows, const char* firstSex, int picture, int tag) {
            QTest::newRow(name) << text(style) << text(state) << advanceBought << rows << text(firstSex)
                                << picture << tag;
        };
        row("free single", "单人墓", "未使用", false, 0, "", 1, 1);
        row("free double", "双人墓", "未使用", false, 0, "", 2, 1);
        row("free family", "家族墓", "未使用", false, 0, "", 3, 1);
        row("free multi", "多人墓", "未使用", false, 0, "", 4, 1);
        row("reserved single", "单人墓", "已预订", false, 0, "", 9, 2);
        row("reserved double", "双人墓", "已预订", false, 0, "", 10, 2);
        row("reserved family", "家族墓", "已预订", false, 0, "", 12, 2);
        row("reserved multi", "多人墓", "已预订", false, 0, "", 11, 2);

        row("sold single, no register", "单人墓", "已购", false, 0, "", 6, 0);
        row("sold single, nobody buried", "单人墓", "已购", false, 1, "", 6, 0);
        row("sold single, occupied", "单人墓", "已购", false, 1, "女", 17, 0);
        row("sold double, no register", "双人墓", "已购", false, 0, "", 5, 0);
        row("sold double, first row empty", "双人墓", "已购", false, 2, "", 5, 0);
        row("sold double, a man", "双人墓", "已购", false, 1, "男", 18, 0);
        row("sold double, a woman", "双人墓", "已购", false, 1, "女", 19, 0);
        row("sold double, two", "双人墓", "已购", false, 2, "女", 20, 0);
        row("sold double, unknown sex", "双人墓", "已购", false, 1, "?", 0, 0);
        row("sold family", "家族墓", "已购", false, 3, "男", 8, 0);
        row("sold multi", "多人墓", "已购", false, 0, "", 7, 0);

        // An advance-bought plot is drawn as such whatever its state, and is never pickable.
        row("advance single", "单人墓", "已购", true, 0, "", 13, 0);
        row("advance single, occupied", "单人墓", "已购", true, 1, "男", 21, 0);
        row("advance double", "双人墓", "已购", true, 0, "", 14, 0);
        row("advance double, two", "双人墓", "已购", true, 2, "男", 22, 0);
        row("advance double, a woman", "双人墓", "已购", true, 1, "女", 23, 0);
        row("advance double, a man", "双人墓", "已购", true, 1, "男", 24, 0);
        row("advance family", "家族墓", "已购", true, 0, "", 16, 0);
        row("advance multi", "多人墓", "已购", true, 0, "", 15, 0);
        row("advance, though free", "单人墓", "未使用", true, 0, "", 13, 0);

        row("restricted", "单人墓", "限制", false, 0, "", 0, 0);
        row("artistic", "艺术墓", "未使用", false, 0, "", 0, 0);
        row("artistic, advance", "艺术墓", "已购", true, 0, "", 0, 0);
        row("marker row", "", "", false, 0, "", 0, 0);
    }

    void iconRules() {
        QFETCH(QString, style);
        QFETCH(QString, state);
        QFETCH(bool, advanceBought);
        QFETCH(int, rows);
        QFETCH(QString, firstSex);
        QFETCH(int, picture);
        QFETCH(int, tag);
        const PlotIconRules::Icon icon =
            PlotIconRules::iconFor(style, state, advanceBought, {rows, firstSex});
        QCOMPARE(icon.picture, picture);
        QCOMPARE(icon.tag, tag);
    }

    // The sold-plot map decides its pictures from the register read with the plots, and counts the
    // advance-bought plots of the choice in every state.
    void theSoldMapDrawsWhoIsBuriedAndCountsAdvanceBoughtPlotsOfEveryState() {
        TestData data;
        addPlot(data, "甲区", "1", "0001", "双人墓", "已购");
        addPlot(data, "甲区", "1", "0002", "单人墓", "已购", 1);
        addPlot(data, "甲区", "1", "0003", "双人墓", "已购");
        addPlot(data, "甲区", "1", "0004", "双人墓", "已购", 1);
        addPlot(data, "甲区", "1", "0005", "双人墓", "已购", 1);
        addPlot(data, "甲区", "1", "0006", "单人墓", "未使用", 1);
        addPlot(data, "甲区", "1", "0007", "艺术墓", "已购");
        addPlot(data, "甲区", "2", "0001", "单人墓", "已预订", 1);
        // Another area with the same row and numbers, and one without rows.
        addPlot(data, "丙区", "1", "0002", "单人墓", "已购", 1);
        addPlot(data, "乙区", nullptr, "0001", "单人墓", "已购", 1);
        addBurial(data, "甲区1排0001号", "女");
        addBurial(data, "甲区1排0002号", "男");
        addBurial(data, "甲区1排0003号", "男");
        addBurial(data, "甲区1排0003号", nullptr);
        addBurial(data, "甲区1排0004号", "女");
        addBurial(data, "甲区1排0004号", "男");
        addBurial(data, "乙区0001号", "女");
        addBurial(data, "丙区1排0002号", "男");

        PlotMapService service(data.db(), MapUses::sold());
        MapView view = service.view({QStringLiteral("甲区")});
        QCOMPARE(shown(view.plots), texts({"甲区1排0001号=13", "甲区1排0002号=12", "甲区1排0003号=16",
                                           "甲区1排0004号=9", "甲区1排0005号=6", "甲区1排0007号=17"}));
        QCOMPARE(view.statusLine, QStringLiteral("甲区，已使用的位置数： 6  其中寿穴为：5"));
        view = service.view({QStringLiteral("甲区"), QStringLiteral("1")});
        QCOMPARE(view.statusLine, QStringLiteral("甲区1排，已使用的位置数： 6  其中寿穴为：4"));
        view = service.view({QStringLiteral("甲区"), QString(), QStringLiteral("双人墓")});
        QCOMPARE(view.statusLine, QStringLiteral("甲区，样式为双人墓的已使用位置数： 4  其中寿穴为：2"));
        QCOMPARE(shown(service.view({QStringLiteral("乙区")}).plots), texts({"乙区0001号=12"}));
        // The number search carries the row, so it finds nothing in an area without rows.
        QVERIFY(service.view(numbers("乙区", nullptr, "0001")).plots.isEmpty());

        QCOMPARE(service.purchaseOf(QStringLiteral("甲区1排0003号"))->key, QStringLiteral("甲区1排0003号"));
        QVERIFY(!service.purchaseOf(QStringLiteral("甲区1排0005号")));
        QCOMPARE(PlotMapService::listJob(MapUses::sold(), {QStringLiteral("甲区")}).query,
                 QStringLiteral("select * from mq_wz where 墓区='甲区' and 状态='已购' order by 排,号"));
    }

    void anAreaIsReadWithItsOccupancyAndCounts() {
        TestData data;
        const QString area = QStringLiteral("甲区");
        addPlot(data, "甲区", "2", "0001", "双人墓", "已购");
        addPlot(data, "甲区", "2", "0002", "双人墓", "已购");
        addPlot(data, "甲区", "2", "0003", "单人墓", "已购", 1);
        addPlot(data, "甲区", "10", "0002", "单人墓", "限制");
        addPlot(data, "甲区", "10", "0001", "艺术墓", "未使用");
        addPlot(data, "甲区", "10", "0003", "家族墓", "未使用");
        addPlot(data, "甲区", "10", "0004", "多人墓", "已预订");
        // A row set up without plots yet, and another area: neither is part of the map.
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES (?, '1')"), {area});
        addPlot(data, "乙区", nullptr, "0001", "单人墓", "未使用");

        addBurial(data, "甲区2排0001号", "女");
        // The first register row decides: nobody buried yet, though a second person is registered.
        addBurial(data, "甲区2排0002号", nullptr);
        addBurial(data, "甲区2排0002号", "男");

        PlotMapService service(data.db());
        // Areas and rows as the clerk counts them: 甲 before 乙, 2 before 10.
        QCOMPARE(service.areas(), texts({"甲区", "乙区"}));
        QCOMPARE(service.rows(area), texts({"1", "2", "10"}));
        QVERIFY(service.rows(QStringLiteral("乙区")).isEmpty());

        // Row 10 comes before row 2: rows are ordered as text. Artistic and restricted plots get no icon.
        MapView view = service.view({area, QString(), QString()});
        QCOMPARE(shown(view.plots),
                 texts({"甲区10排0001号=0", "甲区10排0002号=0", "甲区10排0003号=3", "甲区10排0004号=11",
                        "甲区2排0001号=19", "甲区2排0002号=5", "甲区2排0003号=13"}));
        QCOMPARE(view.plots.at(4).position, 5);
        QCOMPARE(view.statusLine,
                 QStringLiteral("甲区，总位置数：7 限制销售数： 1 未使用数： 2  已预订数：1  "
                                "已购数：3  其中寿穴为：1"));

        // A second person in the double grave of the woman: two or more registered.
        addBurial(data, "甲区2排0001号", "男");
        view = service.view({area, QStringLiteral("2"), QString()});
        QCOMPARE(shown(view.plots).first(), QStringLiteral("甲区2排0001号=20"));
        QCOMPARE(view.statusLine, QStringLiteral("甲区2排，总位置为3 限制销售数：0 未使用数：0 已预订数： 0  "
                                                 "已购数：3  其中寿穴为：1"));

        // By style the restricted plots fall into the bought figure.
        view = service.view({area, QString(), QStringLiteral("单人墓")});
        QCOMPARE(shown(view.plots), texts({"甲区10排0002号=0", "甲区2排0003号=13"}));
        QCOMPARE(view.statusLine,
                 QStringLiteral("甲区，样式为单人墓的总位置数： 2  未使用数：0  已预订数：0  "
                                "已购数：2  其中寿穴：1"));
        view = service.view({area, QStringLiteral("10"), QStringLiteral("家族墓")});
        QCOMPARE(shown(view.plots), texts({"甲区10排0003号=3"}));

        // A row without plots (row 10 begins alike) shows its zeros; an area without plots an empty line.
        QCOMPARE(service.view({area, QStringLiteral("1"), QString()}).statusLine,
                 QStringLiteral("甲区1排，总位置为0 限制销售数：0 未使用数：0 已预订数： 0  已购数：0  "
                                "其中寿穴为：0"));
        view = service.view({QStringLiteral("丙区"), QString(), QString()});
        QVERIFY(view.plots.isEmpty());
        QVERIFY(view.statusLine.isEmpty());
    }

    // The number search takes the typed text; a pick re-reads the plot with its prices.
    void searchAndPick() {
        TestData data;
        addPlot(data, "甲区", "1", "0007", "单人墓", "已购");
        addPlot(data, "乙区", nullptr, "0007", "单人墓", "已购");
        addPlot(data, "乙区", nullptr, "0008", "单人墓", "未使用");
        // Areas whose names begin alike, with the same row and numbers.
        addPlot(data, "甲区北", "1", "0007", "单人墓", "已购");
        addPlot(data, "乙区北", nullptr, "0008", "单人墓", "未使用");
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, "
                           "其它, 状态) VALUES ('甲区', '1', '0009', '双人墓', 12000, 3000, 800.5, 600, "
                           "150, 20, '未使用')"));
        PlotMapService service(data.db());
        const auto find = [&](const char* area, const char* row, const char* number) {
            MapFilter filter{text(area), row ? text(row) : QString()};
            filter.number = text(number);
            filter.rowless = !row;
            return service.view(filter).plots;
        };
        // With rows any plot of the row is found, but only in its four-character form.
        QCOMPARE(shown(find("甲区", "1", "0007")), texts({"甲区1排0007号=6"}));
        QVERIFY(find("甲区", "1", "7").isEmpty());
        // Without rows only a free plot is found.
        QVERIFY(find("乙区", nullptr, "0007").isEmpty());
        const QList<MapPlot> found = find("乙区", nullptr, "0008");
        QCOMPARE(shown(found), texts({"乙区0008号=1"}));
        QCOMPARE(found.first().icon.tag, PlotIconRules::freeTag);

        const std::optional<ChosenPlot> plot = service.choose(QStringLiteral("甲区1排0009号"));
        QVERIFY(plot);
        QCOMPARE(plot->key, QStringLiteral("甲区1排0009号"));
        QCOMPARE(plot->style, QStringLiteral("双人墓"));
        QCOMPARE(QList<double>({plot->landPrice, plot->stonePrice, plot->labourPrice, plot->familyPrice,
                                plot->greeningPrice, plot->otherPrice}),
                 QList<double>({12000, 3000, 800.5, 600, 150, 20}));
        QVERIFY(!service.choose(QStringLiteral("甲区1排0010号")));
    }

    // The window's print checks the row filter and the print rights; here the choice and its escaping.
    void theReservedListPrintsTheChoiceWithEscapedValues() {
        QCOMPARE(PrintBridge::commandTail(PlotMapService::listJob(
                     MapUses::sale(), {QStringLiteral("O'区"), QString(), QString()})),
                 QStringLiteral("wz        $#select * from mq_wz where 墓区='O''区' and 状态='已预订' "
                                "order by 排,号@已预订的墓位列表"));
        QCOMPARE(PlotMapService::listJob(
                     MapUses::sale(), {QStringLiteral("甲区"), QStringLiteral("2"), QStringLiteral("双人墓")})
                     .query,
                 QStringLiteral("select * from mq_wz where 墓区='甲区' and 排='2' and 样式='双人墓' "
                                "and 状态='已预订' order by 排,号"));
    }

    void theReservedMapListsOnlyReservedPlotsAndTheirFirstReservation() {
        TestData data;
        addPlot(data, "甲区", "2", "0001", "单人墓", "已预订");
        addPlot(data, "甲区", "2", "0002", "艺术墓", "已预订");
        addPlot(data, "甲区", "2", "0003", "双人墓", "未使用");
        addPlot(data, "甲区", "10", "0001", "家族墓", "已预订");
        addPlot(data, "甲区", "10", "0002", "多人墓", "已购");
        addPlot(data, "甲区北", "2", "0004", "双人墓", "已预订"); // a name that begins alike
        addPlot(data, "乙区", nullptr, "0001", "双人墓", "已预订");
        PlotMapService service(data.db(), MapUses::reserved());

        MapView view = service.view({text("甲区")});
        QCOMPARE(shown(view.plots), texts({"甲区10排0001号=3", "甲区2排0001号=1", "甲区2排0002号=5"}));
        QCOMPARE(view.statusLine, text("甲区，已预订的位置数： 3"));
        QCOMPARE(service.view({text("甲区"), text("2")}).statusLine, text("甲区2排，已预订的位置数： 2"));
        QCOMPARE(service.view({text("甲区"), QString(), text("单人墓")}).statusLine,
                 text("甲区，样式为单人墓的已预订位置数： 1"));

        // The number search keeps to the state and the chosen row, so it finds nothing without rows.
        QCOMPARE(shown(service.view(numbers("甲区", "2", "0001")).plots), texts({"甲区2排0001号=1"}));
        QVERIFY(service.view(numbers("甲区", "2", "0003")).plots.isEmpty());
        QVERIFY(service.view(numbers("乙区", nullptr, "0001")).plots.isEmpty());
        // The list prints what is shown, a number search included.
        QCOMPARE(PlotMapService::listJob(MapUses::reserved(), numbers("O'区", "2", "0001")).query,
                 text("select * from mq_wz where 墓区='O''区' and 排='2' and 号='0001' and 状态='已预订' "
                      "order by 排,号"));

        data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人) VALUES ('甲区2排0002号', '甲'), "
                                "('甲区2排0001号', '乙'), ('甲区2排0001号', '丙')"));
        const std::optional<ChosenReservation> first = service.reservationOf(text("甲区2排0001号"));
        QVERIFY(first);
        QCOMPARE(first->id, qint64(2));
        QCOMPARE(first->key, text("甲区2排0001号"));
        QVERIFY(!service.reservationOf(text("甲区10排0001号")));
    }

    void restrictionActsOnZeroFilledNumbersOfOneRowAndOnlyInItsState() {
        TestData data;
        for (const char* number : {"0001", "0002", "0003", "0020", "0021", "1500"})
            addPlot(data, "甲区", "1", number, "单人墓", "未使用");
        addPlot(data, "甲区", "1", "0004", "双人墓", "已购");
        addPlot(data, "甲区", "1", "0005", "家族墓", "限制");
        addPlot(data, "甲区", "2", "0002", "单人墓", "未使用");
        addPlot(data, "甲区北", "1", "0002", "单人墓", "未使用");
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES ('甲区', '1')")); // a row's marker
        PlotMapService map(data.db(), MapUses::restriction());
        SalesRestrictionService service(data.db());
        QSignalSpy changes(&data.db().changes(), &ChangeNotifier::changed);

        const MapView row = map.view({text("甲区"), text("1")});
        QCOMPARE(row.statusLine, text("甲区1排，总位置数：8限制数：1 未使用数：6 "));
        QVERIFY(shown(row.plots).contains(text("甲区1排0004号=0"))); // sold: no icon
        QVERIFY(shown(row.plots).contains(text("甲区1排0005号=16")));
        QCOMPARE(map.view({text("甲区")}).statusLine, text("甲区，总位置数：9 限制数：1 未使用数： 7  "));

        // Nothing chosen, a range holding no plot, or a number search in an area without rows.
        QCOMPARE(service.restrict(std::nullopt).message->text, text("请选择适合的条件"));
        QCOMPARE(service.release(std::nullopt).message->text, text("请选择正确的条件"));
        QVERIFY(!service.restrict(numbers("甲区", "1", "30", "40")).saved);
        QVERIFY(!service.restrict(numbers("甲区", nullptr, "1")).saved);
        QCOMPARE(changes.size(), 0);

        // 1 to 20 means 0001 to 0020, never 1000 to 1999 as text would; sold and withheld plots stay.
        const QString before = data.dump(QStringLiteral("mq_wz"));
        data.db().failNthWrite(1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, service.restrict(numbers("甲区", "1", "1", "20")));
        QCOMPARE(data.dump(QStringLiteral("mq_wz")), before);
        QCOMPARE(changes.size(), 0);
        const SaveOutcome done = service.restrict(numbers("甲区", "1", "1", "20"));
        QVERIFY(done.saved);
        QCOMPARE(done.message->text, text("限制成功"));
        const auto withheld = [&data] {
            return data.db().texts(
                QStringLiteral("SELECT 墓碑位置 FROM mq_wz WHERE 状态 = '限制' ORDER BY rid"), {},
                QStringLiteral("读"));
        };
        QCOMPARE(withheld(), texts({"甲区1排0001号", "甲区1排0002号", "甲区1排0003号", "甲区1排0020号",
                                    "甲区1排0005号"}));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(1).toString(), text("甲区"));
        QCOMPARE(data.count(QStringLiteral("mq_wz"), QStringLiteral("状态 = '已购'")), 1);

        // One number, zero-filled; then the whole row released.
        QCOMPARE(service.release(numbers("甲区", "1", "2")).message->text, text("解除限制成功"));
        QVERIFY(!withheld().contains(text("甲区1排0002号")));
        QVERIFY(service.release(MapFilter{text("甲区"), text("1")}).saved);
        QVERIFY(withheld().isEmpty());
    }
};

QTEST_GUILESS_MAIN(PlotMapTest)
#include "tst_plotmap.moc"
