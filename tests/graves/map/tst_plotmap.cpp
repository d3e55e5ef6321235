#include "ploticonrules.h"
#include "plotmapservice.h"
#include "testsupport.h"

#include <QTest>

namespace {

struct Plot {
    QString area;
    QString row;
    QString number;
    QString style;
    QString state;
    int advanceBought = 0;
};

void addPlot(TestData& data, const Plot& plot) {
    data.sql(
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, "
                       "状态, 寿穴) VALUES (?, ?, ?, ?, 1000, 200, 0, 0, 50, 300, ?, ?)"),
        {plot.area, plot.row, plot.number, plot.style, plot.state, plot.advanceBought});
}

void addBurial(TestData& data, const QString& key, const QString& sex) {
    data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 性别) VALUES (?, '张三', ?)"), {key, sex});
}

QStringList captions(const QList<MapPlot>& plots) {
    QStringList keys;
    for (const MapPlot& plot : plots)
        keys << plot.key;
    return keys;
}

int pictureOf(const QList<MapPlot>& plots, const QString& key) {
    for (const MapPlot& plot : plots)
        if (plot.key == key)
            return plot.icon.picture;
    return -1;
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

        const QString single = QStringLiteral("单人墓"), twin = QStringLiteral("双人墓"),
                      family = QStringLiteral("家族墓"), multi = QStringLiteral("多人墓");
        const QString free = QStringLiteral("未使用"), sold = QStringLiteral("已购"),
                      reserved = QStringLiteral("已预订");
        const QString man = QStringLiteral("男"), woman = QStringLiteral("女");

        QTest::newRow("free single") << single << free << false << 0 << QString() << 1 << 1;
        QTest::newRow("free double") << twin << free << false << 0 << QString() << 2 << 1;
        QTest::newRow("free family") << family << free << false << 0 << QString() << 3 << 1;
        QTest::newRow("free multi") << multi << free << false << 0 << QString() << 4 << 1;
        QTest::newRow("reserved single") << single << reserved << false << 0 << QString() << 9 << 2;
        QTest::newRow("reserved double") << twin << reserved << false << 0 << QString() << 10 << 2;
        QTest::newRow("reserved family") << family << reserved << false << 0 << QString() << 12 << 2;
        QTest::newRow("reserved multi") << multi << reserved << false << 0 << QString() << 11 << 2;

        QTest::newRow("sold single, no register") << single << sold << false << 0 << QString() << 6 << 0;
        QTest::newRow("sold single, nobody buried") << single << sold << false << 1 << QString() << 6 << 0;
        QTest::newRow("sold single, occupied") << single << sold << false << 1 << woman << 17 << 0;
        QTest::newRow("sold double, no register") << twin << sold << false << 0 << QString() << 5 << 0;
        QTest::newRow("sold double, first row empty") << twin << sold << false << 2 << QString() << 5 << 0;
        QTest::newRow("sold double, a man") << twin << sold << false << 1 << man << 18 << 0;
        QTest::newRow("sold double, a woman") << twin << sold << false << 1 << woman << 19 << 0;
        QTest::newRow("sold double, two") << twin << sold << false << 2 << woman << 20 << 0;
        QTest::newRow("sold double, unknown sex")
            << twin << sold << false << 1 << QStringLiteral("?") << 0 << 0;
        QTest::newRow("sold family") << family << sold << false << 3 << man << 8 << 0;
        QTest::newRow("sold multi") << multi << sold << false << 0 << QString() << 7 << 0;

        // An advance-bought plot is drawn as such whatever its state, and is never pickable.
        QTest::newRow("advance single") << single << sold << true << 0 << QString() << 13 << 0;
        QTest::newRow("advance single, occupied") << single << sold << true << 1 << man << 21 << 0;
        QTest::newRow("advance double") << twin << sold << true << 0 << QString() << 14 << 0;
        QTest::newRow("advance double, two") << twin << sold << true << 2 << man << 22 << 0;
        QTest::newRow("advance double, a woman") << twin << sold << true << 1 << woman << 23 << 0;
        QTest::newRow("advance double, a man") << twin << sold << true << 1 << man << 24 << 0;
        QTest::newRow("advance family") << family << sold << true << 0 << QString() << 16 << 0;
        QTest::newRow("advance multi") << multi << sold << true << 0 << QString() << 15 << 0;
        QTest::newRow("advance, though free") << single << free << true << 0 << QString() << 13 << 0;

        QTest::newRow("restricted") << single << QStringLiteral("限制") << false << 0 << QString() << 0 << 0;
        QTest::newRow("artistic") << QStringLiteral("艺术墓") << free << false << 0 << QString() << 0 << 0;
        QTest::newRow("artistic, advance")
            << QStringLiteral("艺术墓") << sold << true << 0 << QString() << 0 << 0;
        QTest::newRow("marker row") << QString() << QString() << false << 0 << QString() << 0 << 0;
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

    void anAreaIsReadWithItsOccupancyAndCounts() {
        TestData data;
        const QString area = QStringLiteral("甲区");
        addPlot(data, {area, QStringLiteral("2"), QStringLiteral("0001"), QStringLiteral("双人墓"),
                       QStringLiteral("已购")});
        addPlot(data, {area, QStringLiteral("2"), QStringLiteral("0002"), QStringLiteral("双人墓"),
                       QStringLiteral("已购")});
        addPlot(data, {area, QStringLiteral("2"), QStringLiteral("0003"), QStringLiteral("单人墓"),
                       QStringLiteral("已购"), 1});
        addPlot(data, {area, QStringLiteral("10"), QStringLiteral("0002"), QStringLiteral("单人墓"),
                       QStringLiteral("限制")});
        addPlot(data, {area, QStringLiteral("10"), QStringLiteral("0001"), QStringLiteral("艺术墓"),
                       QStringLiteral("未使用")});
        addPlot(data, {area, QStringLiteral("10"), QStringLiteral("0003"), QStringLiteral("家族墓"),
                       QStringLiteral("未使用")});
        addPlot(data, {area, QStringLiteral("10"), QStringLiteral("0004"), QStringLiteral("多人墓"),
                       QStringLiteral("已预订")});
        // A row set up without plots yet, and another area: neither is part of the map.
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排) VALUES (?, '3')"), {area});
        addPlot(data, {QStringLiteral("乙区"), QString(), QStringLiteral("0001"), QStringLiteral("单人墓"),
                       QStringLiteral("未使用")});

        addBurial(data, QStringLiteral("甲区2排0001号"), QStringLiteral("女"));
        // The first register row decides: nobody buried yet, though a second person is registered.
        addBurial(data, QStringLiteral("甲区2排0002号"), QString());
        addBurial(data, QStringLiteral("甲区2排0002号"), QStringLiteral("男"));

        PlotMapService service(data.db());
        QCOMPARE(service.areas(), QStringList({QStringLiteral("乙区"), area}));
        QCOMPARE(service.rows(area),
                 QStringList({QStringLiteral("10"), QStringLiteral("2"), QStringLiteral("3")}));
        QVERIFY(service.rows(QStringLiteral("乙区")).isEmpty());

        MapView view = service.view({area, QString(), QString()});
        // Row 10 comes before row 2: rows are ordered as text.
        QCOMPARE(captions(view.plots),
                 QStringList({QStringLiteral("甲区10排0001号"), QStringLiteral("甲区10排0002号"),
                              QStringLiteral("甲区10排0003号"), QStringLiteral("甲区10排0004号"),
                              QStringLiteral("甲区2排0001号"), QStringLiteral("甲区2排0002号"),
                              QStringLiteral("甲区2排0003号")}));
        QCOMPARE(view.plots.at(4).position, 5);
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区10排0001号")), 0); // artistic: no icon
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区10排0002号")), 0); // restricted: no icon
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区10排0003号")), 3);
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区10排0004号")), 11);
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区2排0001号")), 19);
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区2排0002号")), 5);
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区2排0003号")), 13);
        QCOMPARE(view.statusLine,
                 QStringLiteral("甲区，总位置数：7 限制销售数： 1 未使用数： 2  已预订数：1  "
                                "已购数：3  其中寿穴为：1"));

        // A second person in the double grave of the woman: two or more registered.
        addBurial(data, QStringLiteral("甲区2排0001号"), QStringLiteral("男"));
        view = service.view({area, QStringLiteral("2"), QString()});
        QCOMPARE(pictureOf(view.plots, QStringLiteral("甲区2排0001号")), 20);
        QCOMPARE(view.statusLine, QStringLiteral("甲区2排，总位置为3 限制销售数：0 未使用数：0 已预订数： 0  "
                                                 "已购数：3  其中寿穴为：1"));

        // By style the restricted plots fall into the bought figure.
        view = service.view({area, QString(), QStringLiteral("单人墓")});
        QCOMPARE(captions(view.plots),
                 QStringList({QStringLiteral("甲区10排0002号"), QStringLiteral("甲区2排0003号")}));
        QCOMPARE(view.statusLine,
                 QStringLiteral("甲区，样式为单人墓的总位置数： 2  未使用数：0  已预订数：0  "
                                "已购数：2  其中寿穴：1"));
        view = service.view({area, QStringLiteral("10"), QStringLiteral("家族墓")});
        QCOMPARE(captions(view.plots), QStringList({QStringLiteral("甲区10排0003号")}));

        // A row without plots shows its zeros; an area without plots an empty line.
        QCOMPARE(service.view({area, QStringLiteral("3"), QString()}).statusLine,
                 QStringLiteral("甲区3排，总位置为0 限制销售数：0 未使用数：0 已预订数： 0  已购数：0  "
                                "其中寿穴为：0"));
        view = service.view({QStringLiteral("丙区"), QString(), QString()});
        QVERIFY(view.plots.isEmpty());
        QVERIFY(view.statusLine.isEmpty());
    }

    void theNumberSearchTakesTheTypedText() {
        TestData data;
        addPlot(data, {QStringLiteral("甲区"), QStringLiteral("1"), QStringLiteral("0007"),
                       QStringLiteral("单人墓"), QStringLiteral("已购")});
        addPlot(data, {QStringLiteral("乙区"), QString(), QStringLiteral("0007"), QStringLiteral("单人墓"),
                       QStringLiteral("已购")});
        addPlot(data, {QStringLiteral("乙区"), QString(), QStringLiteral("0008"), QStringLiteral("单人墓"),
                       QStringLiteral("未使用")});
        PlotMapService service(data.db());
        // With rows any plot of the row is found, but only in its four-character form.
        QCOMPARE(captions(service.findNumber(QStringLiteral("甲区"), QStringLiteral("1"), true,
                                             QStringLiteral("0007"))),
                 QStringList({QStringLiteral("甲区1排0007号")}));
        QVERIFY(service.findNumber(QStringLiteral("甲区"), QStringLiteral("1"), true, QStringLiteral("7"))
                    .isEmpty());
        // Without rows only a free plot is found.
        QVERIFY(
            service.findNumber(QStringLiteral("乙区"), QString(), false, QStringLiteral("0007")).isEmpty());
        const QList<MapPlot> found =
            service.findNumber(QStringLiteral("乙区"), QString(), false, QStringLiteral("0008"));
        QCOMPARE(captions(found), QStringList({QStringLiteral("乙区0008号")}));
        QCOMPARE(found.first().icon.tag, PlotIconRules::freeTag);
    }

    void aPickReReadsThePlot() {
        TestData data;
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, "
                           "其它, 状态) VALUES ('甲区', '1', '0007', '双人墓', 12000, 3000, 800.5, 0, "
                           "150, 20, '未使用')"));
        PlotMapService service(data.db());
        const std::optional<ChosenPlot> plot = service.choose(QStringLiteral("甲区1排0007号"));
        QVERIFY(plot);
        QCOMPARE(plot->key, QStringLiteral("甲区1排0007号"));
        QCOMPARE(plot->style, QStringLiteral("双人墓"));
        QCOMPARE(plot->landPrice, 12000.0);
        QCOMPARE(plot->stonePrice, 3000.0);
        QCOMPARE(plot->labourPrice, 800.5);
        QCOMPARE(plot->familyPrice, 0.0);
        QCOMPARE(plot->greeningPrice, 150.0);
        QCOMPARE(plot->otherPrice, 20.0);
        QVERIFY(!service.choose(QStringLiteral("甲区1排0008号")));
    }

    void theReservedListPrintsTheChoiceWithEscapedValues() {
        QCOMPARE(PrintBridge::commandTail(
                     PlotMapService::reservedList({QStringLiteral("O'区"), QString(), QString()})),
                 QStringLiteral("wz        $#select * from mq_wz where 墓区='O''区' and 状态='已预订' "
                                "order by 排,号@已预订的墓位列表"));
        const PrintJob job = PlotMapService::reservedList(
            {QStringLiteral("甲区"), QStringLiteral("2"), QStringLiteral("双人墓")});
        QCOMPARE(job.query,
                 QStringLiteral("select * from mq_wz where 墓区='甲区' and 排='2' and 样式='双人墓' "
                                "and 状态='已预订' order by 排,号"));
        QCOMPARE(*job.listName, QStringLiteral("wz"));
        QVERIFY(job.ignoresPrintFlag);
    }
};

QTEST_GUILESS_MAIN(PlotMapTest)
#include "tst_plotmap.moc"
