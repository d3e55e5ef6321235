#include "graves/map/ui/plotchoicewindow.h"
#include "graves/map/ui/ploticondelegate.h"
#include "graves/map/ui/plotmapmodel.h"
#include "graves/map/ui/plotmapwindow.h"
#include "graves/map/ui/plotpictures.h"
#include "graves/map/ui/takenmapwindow.h"
#include "support/runningoffice.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The running office on one row of three single graves, the middle one reserved.
struct Desk : RunningOffice {
    Desk() {
        session.reportList = QStringLiteral(",wz,");
        window.resize(1200, 800);
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, 其它, "
            "状态) VALUES ('甲区', '1', '0001', '单人墓', 5000, 1200, 300, 0, 80, 0, '未使用'), "
            "('甲区', '1', '0002', '单人墓', 5000, 1200, 300, 0, 80, 0, '已预订'), "
            "('甲区', '1', '0003', '单人墓', 5000, 1200, 300, 0, 80, 0, '未使用')"));
    }

    PlotMapWindow* openMap() {
        return qobject_cast<PlotMapWindow*>(run(QStringLiteral("M_gm"), QStringLiteral("Frm_gm")));
    }
};

void choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

QModelIndex iconOf(QListView* view, const QString& key) {
    const QModelIndexList found =
        view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, key, 1, Qt::MatchExactly);
    return found.isEmpty() ? QModelIndex() : found.first();
}

void doubleClick(QListView* view, const QModelIndex& index) {
    view->doItemsLayout(); // the grid lays its icons out lazily
    const QRect spot = view->visualRect(index);
    QVERIFY(!spot.isEmpty());
    // A real double-click starts with a click; the test's double-click event alone does not.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, spot.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, spot.center());
}

QStringList pictures(QListView* grid) {
    QStringList shown;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        const QModelIndex index = grid->model()->index(row, 0);
        shown << index.data().toString() + QLatin1Char('=') +
                     index.data(PlotMapModel::PictureRole).toString();
    }
    return shown;
}

void pressEnter(QListView* grid, const QString& key) {
    grid->setCurrentIndex(iconOf(grid, key));
    QTest::keyClick(grid, Qt::Key_Return);
}

} // namespace

class PlotMapWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theModelPassesTheTester() {
        PlotMapModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QList<MapPlot> plots;
        for (int position = 1; position <= 5; ++position) {
            MapPlot plot;
            plot.position = position;
            plot.key = QStringLiteral("甲区%1号").arg(position);
            plot.icon = position == 3 ? PlotIconRules::Icon{} : PlotIconRules::Icon{2, 1};
            plots << plot;
        }
        model.setPlots(plots);
        QCOMPARE(model.rowCount(), 4); // the plot without a picture is left out
        const QModelIndex fourth = model.index(2);
        QCOMPARE(fourth.data().toString(), QStringLiteral("甲区4号"));
        QCOMPARE(fourth.data(PlotMapModel::IconKeyRole).toString(), QStringLiteral("K4"));
        QCOMPARE(fourth.data(PlotMapModel::TagRole).toInt(), 1);
        QVERIFY(!fourth.data(Qt::DecorationRole).value<QPixmap>().isNull());
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void onlyAFreePlotIsPickedAndShownWithItsPrices() {
        Desk desk;
        PlotMapWindow* map = desk.openMap();
        choose(control<QComboBox>(map, "Combo1"), QStringLiteral("甲区"));
        QCOMPARE(map->windowTitle(), QStringLiteral("墓位选购----选择墓地"));
        auto* grid = control<QListView>(map, "LV1");
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(control<QComboBox>(map, "Combo2")->count(), 1);
        QCOMPARE(control<QLabel>(map, "Bar1")->text(),
                 QStringLiteral(
                     "甲区，总位置数：3 限制销售数： 0 未使用数： 2  已预订数：1  已购数：0  其中寿穴为：0"));

        // A reserved plot opens nothing, by double-click or by Enter.
        const QModelIndex reserved = iconOf(grid, QStringLiteral("甲区1排0002号"));
        doubleClick(grid, reserved);
        grid->setCurrentIndex(reserved);
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(!desk.find(QStringLiteral("frmgm_xz")));

        doubleClick(grid, iconOf(grid, QStringLiteral("甲区1排0003号")));
        QWidget* choice = desk.find(QStringLiteral("frmgm_xz"));
        QVERIFY(choice);
        QCOMPARE(desk.session.chosenPlot.key, QStringLiteral("甲区1排0003号"));
        QCOMPARE(desk.session.chosenPlot.landPrice, 5000.0);
        QStringList labels;
        for (const char* label : {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"})
            labels << control<QLabel>(choice, label)->text();
        QCOMPARE(labels, QStringList({QStringLiteral("你选择的是： 甲区1排0003号 |样式： 单人墓"),
                                      QStringLiteral("墓地费： 5000"), QStringLiteral("墓碑费： 1200"),
                                      QStringLiteral("工料费： 300"), QStringLiteral("家族墓费： 0"),
                                      QStringLiteral("绿化费： 80"), QStringLiteral("其它费： 0")}));

        // Enter on another free plot shows that one in the same choice window.
        grid->setCurrentIndex(iconOf(grid, QStringLiteral("甲区1排0001号")));
        QTest::keyClick(grid, Qt::Key_Enter);
        QCOMPARE(desk.window.host().openWindows().size(), 2);
        QCOMPARE(control<QLabel>(choice, "Label1")->text(),
                 QStringLiteral("你选择的是： 甲区1排0001号 |样式： 单人墓"));

        // A change to the plots of another area leaves the icons; one to this area's reads them again
        // and keeps the clerk's pick.
        desk.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已预订' WHERE 墓碑位置 = '甲区1排0003号'"));
        const auto tagOf = [grid] {
            return iconOf(grid, QStringLiteral("甲区1排0003号")).data(PlotMapModel::TagRole);
        };
        QCOMPARE(tagOf().toInt(), 1);
        desk.data.db().notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("乙区"));
        QCOMPARE(tagOf().toInt(), 1);
        desk.data.db().notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("甲区"));
        QVERIFY(tagOf() != QVariant(1));
        QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("甲区1排0001号"));
    }

    void theTwoWaysOnAreGatedByTheirItems() {
        Desk desk;
        desk.session.chosenPlot.key = QStringLiteral("甲区1排0001号");
        // Item 28 (reserve) denied, item 29 (buy directly) granted.
        desk.session.permissionString =
            QString(27, QLatin1Char('f')) + QStringLiteral("0f") + QString(11, QLatin1Char('f'));
        QStringList opened; // what the choice window went on to
        auto* choice = desk.window.host().open<PlotChoiceWindow>(PlotSaleWindows{
            [&] { opened << QStringLiteral("reserve"); }, [&] { opened << QStringLiteral("buy"); }});
        QTest::mouseClick(control<QPushButton>(choice, "Command1"), Qt::LeftButton);
        QVERIFY(opened.isEmpty());
        QCOMPARE(desk.prompter.texts(),
                 QStringList({QStringLiteral("您没有此项功能权限！请联系系统管理员")}));
        QCOMPARE(desk.prompter.shown.first().caption, QStringLiteral("提示"));
        QTest::mouseClick(control<QPushButton>(choice, "Command2"), Qt::LeftButton);
        QCOMPARE(opened, QStringList({QStringLiteral("buy")}));
        QCOMPARE(desk.prompter.shown.size(), 1);

        QTest::mouseClick(control<QPushButton>(choice, "Command3"), Qt::LeftButton);
        QTRY_VERIFY(!desk.find(QStringLiteral("frmgm_xz")));
    }

    // A key too long for its cell is shortened in its names, never in the row's 排 or the number.
    void theCaptionAlwaysShowsTheRowAndNumber() {
        Desk desk;
        desk.data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                                     "('松柏园东区纪念林苑', '12', '0001', '单人墓', '未使用'), "
                                     "('松柏园东区纪念林苑', '东侧第十二小区', '0002', '单人墓', '未使用')"));
        PlotMapWindow* map = desk.openMap();
        auto* grid = control<QListView>(map, "LV1");
        QStringList tooWide;
        auto lines = [grid, &tooWide](const QString& key) {
            const QModelIndex index = iconOf(grid, key);
            grid->doItemsLayout();
            const int width = grid->visualRect(index).width();
            const QStringList drawn = PlotIconDelegate::captionLines(index, grid->fontMetrics(), width);
            for (const QString& line : drawn)
                if (grid->fontMetrics().horizontalAdvance(line) > width)
                    tooWide << line;
            return drawn;
        };
        choose(control<QComboBox>(map, "Combo1"), QStringLiteral("甲区"));
        QCOMPARE(lines(QStringLiteral("甲区1排0002号")),
                 QStringList({QStringLiteral("甲区"), QStringLiteral("1排0002号")}));

        choose(control<QComboBox>(map, "Combo1"), QStringLiteral("松柏园东区纪念林苑"));
        const QStringList shortRow = lines(QStringLiteral("松柏园东区纪念林苑12排0001号"));
        QVERIFY(shortRow.first().startsWith(QStringLiteral("松柏")));
        QVERIFY(shortRow.first().endsWith(QStringLiteral("林苑")));
        QCOMPARE(shortRow.last(), QStringLiteral("12排0001号"));
        const QStringList longRow = lines(QStringLiteral("松柏园东区纪念林苑东侧第十二小区排0002号"));
        QVERIFY(longRow.last().startsWith(QStringLiteral("东侧")));
        QVERIFY(longRow.last().endsWith(QStringLiteral("…排0002号")));
        QCOMPARE(tooWide, QStringList());
    }

    // Within a row: the number search, and the reserved list by the choice and the report list.
    void searchAndReservedListOfARow() {
        Desk desk;
        PlotMapWindow* map = desk.openMap();
        auto* print = control<QPushButton>(map, "Command2");
        QTest::mouseClick(print, Qt::LeftButton); // no area chosen yet: nothing to list
        choose(control<QComboBox>(map, "Combo1"), QStringLiteral("甲区"));
        choose(control<QComboBox>(map, "Combo2"), QStringLiteral("1"));
        auto* number = control<QLineEdit>(map, "Mask1");
        auto* grid = control<QListView>(map, "LV1");
        number->setText(QStringLiteral("0002"));
        QTest::keyClick(number, Qt::Key_Return);
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("甲区1排0002号"));
        number->setText(QStringLiteral("0"));
        QTest::keyClick(number, Qt::Key_Return); // 0 searches nothing and leaves the grid
        QCOMPARE(grid->model()->rowCount(), 1);

        // The list skips the print flag and asks only the report list.
        desk.session.flags.printDenied = true;
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(
            desk.launcher.tails(),
            QStringList({QStringLiteral("wz        $#select * from mq_wz where 墓区='甲区' and 排='1' and "
                                        "状态='已预订' order by 排,号@已预订的墓位列表")}));
        desk.session.reportList = QStringLiteral(",wz1,");
        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(desk.launcher.started.size(), 1);
    }

    // Each map's pictures tell its numbers apart; the withheld plots do not look advance-bought.
    void everyPictureSetIsDistinct() {
        for (const PlotPictures::PictureSet* set : {&PlotPictures::sale(), &PlotPictures::reserved(),
                                                    &PlotPictures::restriction(), &PlotPictures::sold()}) {
            QList<QImage> drawn;
            for (const PlotPictures::Look& look : set->pictures) {
                const QImage picture = PlotPictures::draw(look);
                QVERIFY(!drawn.contains(picture));
                drawn << picture;
            }
            QVERIFY(!set->legend.isEmpty());
        }
        QCOMPARE(PlotPictures::sale().pictures.size(), 24);
        QCOMPARE(PlotPictures::sold().pictures.size(), 18);
        QVERIFY(PlotPictures::draw(*PlotPictures::restriction().look(13)) !=
                PlotPictures::draw(*PlotPictures::sale().look(13)));
    }

    void aReservedPlotIsPickedByItsFirstReservation() {
        RunningOffice desk;
        desk.session.reportList = QStringLiteral(",wz,");
        desk.data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
            "('甲区', '1', '0001', '单人墓', '已预订'), ('甲区', '1', '0002', '艺术墓', '已预订'), "
            "('甲区', '1', '0003', '单人墓', '未使用')"));
        desk.data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人) VALUES ('甲区1排0001号', '甲'), "
                                     "('甲区1排0001号', '乙')"));
        int opened = 0;
        auto* map = desk.window.host().open<ReservedMapWindow>([&opened] { ++opened; });
        QCOMPARE(map->windowTitle(), QStringLiteral("预订维护选择"));
        choose(control<QComboBox>(map, "Combo1"), QStringLiteral("甲区"));
        auto* grid = control<QListView>(map, "LV1");
        QCOMPARE(pictures(grid), texts({"甲区1排0001号=1", "甲区1排0002号=5"}));
        QCOMPARE(control<QLabel>(map, "Bar1")->text(), QStringLiteral("甲区，已预订的位置数： 2"));

        pressEnter(grid, QStringLiteral("甲区1排0002号")); // reserved, but without a reservation row
        QCOMPARE(opened, 0);
        QCOMPARE(desk.session.chosenReservation.id, qint64(0));
        pressEnter(grid, QStringLiteral("甲区1排0001号"));
        QCOMPARE(opened, 1);
        QCOMPARE(desk.session.chosenReservation.id, qint64(1));
        QCOMPARE(desk.session.chosenReservation.key, QStringLiteral("甲区1排0001号"));

        QTest::mouseClick(control<QPushButton>(map, "Command2"), Qt::LeftButton);
        QCOMPARE(
            desk.launcher.tails(),
            QStringList({QStringLiteral("wz        $#select * from mq_wz where 墓区='甲区' and 状态='已预订' "
                                        "order by 排,号@已预订的墓位列表")}));
    }

    // A sold plot is picked by its register; the list prints only when the grid holds icons.
    void aSoldPlotIsPickedByItsRegister() {
        RunningOffice desk;
        desk.session.reportList = QStringLiteral(",wz,");
        desk.data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                           "('甲区', '1', '0001', '单人墓', '已购'), ('甲区', '1', '0002', '单人墓', "
                           "'已购'), ('乙区', '1', '0001', '单人墓', '未使用')"));
        desk.data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人) VALUES ('甲区1排0002号', '甲')"));
        int opened = 0;
        auto* map = desk.window.host().open<SoldMapWindow>([&opened] { ++opened; });
        QCOMPARE(map->windowTitle(), QStringLiteral("选择落葬"));
        auto* print = control<QPushButton>(map, "Command2");
        choose(control<QComboBox>(map, "Combo1"), QStringLiteral("乙区"));
        QTest::mouseClick(print, Qt::LeftButton);
        QVERIFY(desk.launcher.started.isEmpty());

        choose(control<QComboBox>(map, "Combo1"), QStringLiteral("甲区"));
        auto* grid = control<QListView>(map, "LV1");
        pressEnter(grid, QStringLiteral("甲区1排0001号")); // sold, but without a register row
        QCOMPARE(opened, 0);
        QVERIFY(desk.session.chosenPurchase.key.isEmpty());
        doubleClick(grid, iconOf(grid, QStringLiteral("甲区1排0002号")));
        QCOMPARE(opened, 1);
        QCOMPARE(desk.session.chosenPurchase.key, QStringLiteral("甲区1排0002号"));

        QTest::mouseClick(print, Qt::LeftButton);
        QCOMPARE(desk.launcher.tails(),
                 QStringList({QStringLiteral("wz        $#select * from mq_wz where 墓区='甲区' and "
                                             "状态='已购' order by 排,号@已购墓位列表")}));
    }

    void theRestrictionWindowChangesTheRangeShownAndShowsItAgain() {
        RunningOffice desk;
        desk.data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
            "('甲区', '1', '0001', '单人墓', '未使用'), ('甲区', '1', '0002', '双人墓', '已购'), "
            "('甲区', '1', '0003', '多人墓', '未使用'), ('甲区', '1', '0004', '单人墓', '未使用')"));
        QWidget* window = desk.run(QStringLiteral("xskz"), QStringLiteral("Frm_gmcontrol"));
        QVERIFY(window);
        QVERIFY(control<QComboBox>(window, "Combo3")->isHidden());
        auto* restrict = control<QPushButton>(window, "Command2");
        QTest::mouseClick(restrict, Qt::LeftButton);
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("请选择适合的条件"));

        choose(control<QComboBox>(window, "Combo1"), QStringLiteral("甲区"));
        choose(control<QComboBox>(window, "Combo2"), QStringLiteral("1"));
        control<QLineEdit>(window, "Mask1")->setText(QStringLiteral("1"));
        auto* last = control<QLineEdit>(window, "Mask2");
        last->setText(QStringLiteral("3"));
        QTest::keyClick(last, Qt::Key_Return);
        auto* grid = control<QListView>(window, "LV1");
        QCOMPARE(pictures(grid), texts({"甲区1排0001号=1", "甲区1排0003号=4"}));

        QTest::mouseClick(restrict, Qt::LeftButton);
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("限制成功"));
        QCOMPARE(pictures(grid), texts({"甲区1排0001号=13", "甲区1排0003号=15"}));
        QTest::mouseClick(control<QPushButton>(window, "Command3"), Qt::LeftButton);
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("解除限制成功"));
        QCOMPARE(pictures(grid), texts({"甲区1排0001号=1", "甲区1排0003号=4"}));
    }

    void stylePicturesKeepAnUnreadableFileAndSaveTheSlotsHeld() {
        RunningOffice desk;
        QTemporaryDir folder;
        const QString missing = folder.filePath(QStringLiteral("gone.jpg"));
        const QString picture = folder.filePath(QStringLiteral("double.png"));
        QImage(40, 30, QImage::Format_RGB32).save(picture);
        desk.data.sql(QStringLiteral("INSERT INTO mpic (mstyle, picno, picpath, memo) VALUES "
                                     "('s', 2, ?, '旧图'), ('d', 1, '/x.png', '单人')"),
                      {missing});
        QWidget* window = desk.run(QStringLiteral("mpic"), QStringLiteral("mdpic_frm"));
        QVERIFY(window);
        control<QTabBar>(window, "Tab1")->setCurrentIndex(1); // 双人墓
        auto* kept = control<QLabel>(window, "Image1_2");
        QCOMPARE(kept->toolTip(), missing);
        QVERIFY(!kept->pixmap().isNull());
        QCOMPARE(control<QLineEdit>(window, "memo1_2")->text(), QStringLiteral("旧图"));

        desk.prompter.fileNames.enqueue(picture);
        QTest::mouseClick(control<QLabel>(window, "Image1_5"), Qt::RightButton);
        QCOMPARE(control<QLabel>(window, "Image1_5")->toolTip(), picture);
        control<QLineEdit>(window, "memo1_6")->setText(QStringLiteral("没有图片的说明"));
        QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
        QCOMPARE(desk.prompter.lastText(), QStringLiteral("双人墓墓地图示修改成功！"));
        QCOMPARE(desk.data.count(QStringLiteral("mpic"), QStringLiteral("mstyle = 's'")), 2);
        QCOMPARE(desk.data.value(QStringLiteral("SELECT picpath FROM mpic WHERE mstyle = 's' AND picno = 2"))
                     .toString(),
                 missing);
        QCOMPARE(desk.data.value(QStringLiteral("SELECT memo FROM mpic WHERE mstyle = 's' AND picno = 5"))
                     .toString(),
                 QStringLiteral("未添加图片说明"));
        QCOMPARE(desk.data.count(QStringLiteral("mpic"), QStringLiteral("mstyle = 'd'")), 1);
    }
};

QTEST_MAIN(PlotMapWindowTest)
#include "tst_plotmapwindow.moc"
