#include "business/reservationservice.h"
#include "business/ui/duereminderwindow.h"
#include "business/ui/overduereservationswindow.h"
#include "business/ui/purchasewindow.h"
#include "business/ui/reservationmaintenancewindow.h"
#include "business/ui/reservationwindow.h"
#include "foundation/ui/appcontext.h"
#include "graves/map/ui/plotmapmodel.h"
#include "graves/map/ui/takenmapwindow.h"
#include "support/runningoffice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

namespace {

// The running office on a cemetery of one row of two free double graves.
struct Office : RunningOffice {
    Office() {
        session.reportList = QStringLiteral(",lxr,,gm,,ydmd,,wz,,gm_qtf,");
        window.resize(1280, 900);
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, "
                           "其它, 状态) VALUES ('甲区', '1', '0001', '双人墓', 1000, 200, 0, 0, 50, 300, "
                           "'未使用'), ('甲区', '1', '0002', '双人墓', 1000, 200, 0, 0, 50, 300, '未使用')"));
    }

    // Opens 墓位选购, chooses the area and double-clicks the plot.
    QListView* pickOnTheMap(const QString& key) {
        return pickOnMap(QStringLiteral("M_gm"), QStringLiteral("Frm_gm"), QStringLiteral("甲区"), key);
    }
};

// A reservation of a free plot of 甲区 made elsewhere, reminding on `remindOn`.
SaveOutcome reserveElsewhere(Database& database, const Session& session, const QString& key,
                             const QString& contact, const QDate& remindOn) {
    ReservationForm form;
    form.plotKey = key;
    form.contact = contact;
    form.prepaid = QStringLiteral("100.125");
    form.agreedPrice = QStringLiteral("9000");
    form.reservedOn = QDate(2026, 11, 1);
    form.remindOn = remindOn;
    return ReservationService(database, session).reserve(form);
}

// A sale of a plot of 甲区 made elsewhere, as another desk's clerk would make it.
SaveOutcome sellElsewhere(Database& database, const Session& session, const Clock& clock,
                          const QString& key) {
    PurchaseForm form;
    form.plotKey = key;
    form.contact = QStringLiteral("王五");
    form.boughtOn = form.useFrom = QDate(2026, 12, 6);
    form.useUntil = PurchaseService::useUntilFor(form.useFrom);
    form.fees.land = QStringLiteral("1000");
    form.remark = QStringLiteral("无");
    return PurchaseService({database, session, clock}).save(form);
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// Whether a field is wide enough to show its whole text, frame and margins allowed for.
bool showsWhole(const QLineEdit* field) {
    return field->fontMetrics().horizontalAdvance(field->text()) + 12 <= field->width();
}

// The texts of some fields of a window, joined by '|'.
QString texts(QWidget* window, std::initializer_list<const char*> fields) {
    QStringList values;
    for (const char* field : fields)
        values << control<QLineEdit>(window, field)->text();
    return values.join(u'|');
}

} // namespace

class SaleWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void aPlotIsReservedFromTheMap() {
        Office office;
        QListView* grid = office.pickOnTheMap(QStringLiteral("甲区1排0002号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command1");
        QWidget* reserve = office.find(QStringLiteral("Frm_ydmd"));
        QCOMPARE(texts(reserve, {"Text1"}), QStringLiteral("甲区1排0002号"));
        QCOMPARE(control<QDateEdit>(reserve, "DTP1")->date(), QDate(2026, 12, 6));
        QCOMPARE(control<QDateEdit>(reserve, "DTP2")->date(), QDate(2027, 1, 5));

        // The balance follows the agreed price, not the prepaid amount.
        type(reserve, "Mask1", QStringLiteral("3000"));
        type(reserve, "Mask6", QStringLiteral("10000"));
        QCOMPARE(texts(reserve, {"Mask7"}), QStringLiteral("7000"));
        type(reserve, "Mask1", QStringLiteral("4000"));
        QCOMPARE(texts(reserve, {"Mask7"}), QStringLiteral("7000"));
        type(reserve, "Mask6", QStringLiteral("10500"));
        QCOMPARE(texts(reserve, {"Mask7"}), QStringLiteral("6500"));

        click(reserve, "Command1");
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("OK，输入成功！")}));
        QCOMPARE(
            office.launcher.tails(),
            QStringList({QStringLiteral("  ydmd   $#select * from ydmd where 墓碑位置='甲区1排0002号'")}));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 余额 FROM ydmd")).toDouble(), 6500.0);
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_ydmd")));
        QTRY_VERIFY(!office.find(QStringLiteral("frmgm_xz")));
        // The map, still open, shows the plot reserved; the form's own save told it nothing more.
        QCOMPARE(grid->model()
                     ->match(grid->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("甲区1排0002号"))
                     .first()
                     .data(PlotMapModel::TagRole)
                     .toInt(),
                 2);
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("OK，输入成功！")}));
    }

    // The typical sale: pick a free plot, buy it with live totals, sell items for it on the way.
    void aPlotIsBoughtWithLiveTotalsAndItemCharges() {
        Office office;
        office.data.addOperator(QStringLiteral("小刘"), QStringLiteral("x"), QStringLiteral("业务员"), {});
        // 公墓物品收费 is on the menu too; 物品收费 fills the window already open.
        QVERIFY(office.run(QStringLiteral("M_mqyp"), QStringLiteral("Frm_mq_qtf")));
        QListView* grid = office.pickOnTheMap(QStringLiteral("甲区1排0001号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command2");
        QWidget* buy = office.find(QStringLiteral("Frm_gm_blz"));
        QCOMPARE(buy->windowTitle(), QStringLiteral("购墓"));
        // The list prices above zero come in; a price of zero leaves its field alone.
        QCOMPARE(texts(buy, {"Text1", "Mask5", "Mask6", "Mask8", "Mask10"}),
                 QStringLiteral("甲区1排0001号|1000|200||300"));
        QCOMPARE(control<QDateEdit>(buy, "DTP2")->date(), QDate(2046, 12, 6));
        QCOMPARE(control<QComboBox>(buy, "Comblx")->currentText(), QStringLiteral("未定"));
        // Nobody is credited with the sale until the clerk picks a salesman.
        QCOMPARE(control<QComboBox>(buy, "Combo1")->currentText(), QString());
        QCOMPARE(control<QComboBox>(buy, "Combo1")->findText(QStringLiteral("小刘")), 1);

        // The office's example: rate 10, greening 50, a further charge of 40; then a management fee typed
        // over the computed one, point and all, carries into the total and stays as typed.
        type(buy, "Maskbfl", QStringLiteral("10"));
        type(buy, "Txt_qtf", QStringLiteral("40"));
        QCOMPARE(texts(buy, {"Text2", "Text4", "Text3"}), QStringLiteral("150|1500|1740"));
        type(buy, "Text2", QStringLiteral("100.5"));
        QCOMPARE(texts(buy, {"Text2", "Text4", "Text3"}), QStringLiteral("100.5|1500|1690.5"));

        control<QDateEdit>(buy, "DTP1")->setDate(QDate(2027, 1, 31));
        QCOMPARE(control<QDateEdit>(buy, "DTP2")->date(), QDate(2047, 1, 31));
        type(buy, "Mask_bh", QStringLiteral("12.7"));
        Q_EMIT control<QLineEdit>(buy, "Mask_bh")->editingFinished();
        QCOMPARE(texts(buy, {"Mask_bh"}), QStringLiteral("12"));
        control<QLineEdit>(buy, "Mask1")->setText(QStringLiteral("王五"));
        // A new material typed into the list is kept for the next sale.
        auto* material = control<QComboBox>(buy, "Combcz");
        material->setEditText(QStringLiteral("汉白玉"));
        Q_EMIT material->lineEdit()->editingFinished();
        QCOMPARE(office.data.count(QStringLiteral("mblx"), QStringLiteral("zblx = '汉白玉'")), 1);
        QVERIFY(material->findText(QStringLiteral("汉白玉")) >= 0);

        click(buy, "CommSf");
        QWidget* charges = office.find(QStringLiteral("Frm_mq_qtf"));
        QCOMPARE(texts(charges, {"Maskmb", "Masklxr", "MaskEdBox1", "MaskQT", "Mask1"}),
                 QStringLiteral("甲区1排0001号|王五|12|其它费|"));
        // Line and grand totals follow the typing, an emptied quantity included.
        type(charges, "Maskq1", QStringLiteral("20"));
        type(charges, "Masks1", QStringLiteral("3"));
        QCOMPARE(texts(charges, {"Mask1"}), QStringLiteral("60"));
        type(charges, "Mask_cf", QStringLiteral("15.5"));
        QCOMPARE(texts(charges, {"Text1"}), QStringLiteral("75.5"));
        control<QLineEdit>(charges, "Masks1")->clear();
        QCOMPARE(texts(charges, {"Mask1", "Text1"}), QStringLiteral("0|15.5"));
        click(charges, "Command1");
        QCOMPARE(office.data.value(QStringLiteral("SELECT 编号 || '/' || 车费 || '/' || 合计 FROM gm_qtf"))
                     .toString(),
                 QStringLiteral("12/15.5/15.5"));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_mq_qtf")));

        // A blank remark turns into "无" on the first click; the second click saves.
        control<QLineEdit>(buy, "Mask11")->clear();
        click(buy, "Command1");
        QCOMPARE(texts(buy, {"Mask11"}), QStringLiteral("无"));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj")), 0);
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("输入成功！")}));
        click(buy, "Command1");
        QCOMPARE(office.prompter.texts(),
                 QStringList({QStringLiteral("输入成功！"), QStringLiteral("OK，输入成功！")}));
        QCOMPARE(
            office.data
                .value(QStringLiteral("SELECT 管理费 || '/' || 合计 || '/' || 主碑材质 FROM gm_xf1, gm_dj"))
                .toString(),
            QStringLiteral("100.5/1690.5/汉白玉"));
        QCOMPARE(office.data.value(QStringLiteral("SELECT COALESCE(业务员, '') FROM gm_dj")).toString(),
                 QString());
        QCOMPARE(
            office.launcher.tails(),
            QStringList({QStringLiteral("gm_qtf    $#select * from gm_qtf where rid=1"),
                         QStringLiteral("lxr       $#select * from gm_dj where 墓碑位置='甲区1排0001号'"),
                         QStringLiteral("gm        $#select * from gm_xf1 where id=1")}));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_gm_blz")));
        QTRY_VERIFY(!office.find(QStringLiteral("frmgm_xz")));
        // The map, still open, no longer offers the plot sold.
        QCOMPARE(grid->model()
                     ->match(grid->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("甲区1排0001号"))
                     .value(0)
                     .data(PlotMapModel::TagRole)
                     .toInt(),
                 0);
    }

    // A long plot key and a long material show whole; the due-today list opens wide enough for its
    // columns, the contact and the telephone first.
    void longTextsAreShownWhole() {
        Office office;
        office.data.sql(QStringLiteral("INSERT INTO mblx (zblx) VALUES ('山西黑花岗岩''')"));
        office.data.sql(QStringLiteral(
            "INSERT INTO ydmd (id, 墓碑位置, 联系人, 联系电话, 家庭住址, 预交金额, 提醒日期, 需要提醒) "
            "VALUES "
            "(7, '松柏园东区纪念林12排0001号', '王五', '13800138000', '北京市朝阳区建国路88号', 3000, "
            "'2026-12-06', 1)"));
        office.session.chosenPlot.key = QStringLiteral("松柏园东区纪念林12排0001号");
        AppContext& context = office.window.context();
        auto* reserve = context.host.open<ReservationWindow>();
        reserve->takeChosenPlot();
        QVERIFY(showsWhole(control<QLineEdit>(reserve, "Text1")));
        auto* buy = context.host.open<PurchaseWindow>();
        buy->takeChosenPlot();
        QVERIFY(showsWhole(control<QLineEdit>(buy, "Text1")));
        auto* material = control<QComboBox>(buy, "Combcz");
        material->setCurrentIndex(material->findText(QStringLiteral("山西黑花岗岩'")));
        QVERIFY(showsWhole(material->lineEdit()));

        QWidget* due = context.host.open<DueReminderWindow>();
        auto* list = control<QTableView>(due, "Grid1");
        const QHeaderView* header = list->horizontalHeader();
        QStringList firstColumns;
        for (int visual = 0; visual < 2; ++visual)
            firstColumns
                << list->model()->headerData(header->logicalIndex(visual), Qt::Horizontal).toString();
        QCOMPARE(firstColumns, QStringList({QStringLiteral("联系人"), QStringLiteral("联系电话")}));
        QVERIFY(list->isColumnHidden(0)); // id
        QTRY_COMPARE(list->horizontalScrollBar()->maximum(), 0);
    }

    // A form whose plot another desk (on one desk: another window) sells says so at once and once; a
    // sale of the area's other plot tells the form nothing, and refreshes the map under it, the clerk's
    // pick kept.
    void aFormWhosePlotIsSoldElsewhereSaysSoAtOnce() {
        Office office;
        QListView* grid = office.pickOnTheMap(QStringLiteral("甲区1排0001号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command2");
        QWidget* buy = office.find(QStringLiteral("Frm_gm_blz"));
        QVERIFY(buy);
        Database& elsewhere = office.elsewhere();
        const auto offered = [grid](const QString& key) {
            const QModelIndexList icon =
                grid->model()->match(grid->model()->index(0, 0), Qt::DisplayRole, key);
            return !icon.isEmpty() && icon.first().data(PlotMapModel::TagRole).toInt() == 1;
        };

        QVERIFY(
            sellElsewhere(elsewhere, office.session, office.clock, QStringLiteral("甲区1排0002号")).saved);
        QTRY_VERIFY(!offered(QStringLiteral("甲区1排0002号")));
        QCOMPARE(grid->currentIndex().data().toString(), QStringLiteral("甲区1排0001号"));
        QCOMPARE(office.prompter.texts(), QStringList());

        QVERIFY(
            sellElsewhere(elsewhere, office.session, office.clock, QStringLiteral("甲区1排0001号")).saved);
        QTRY_COMPARE(office.prompter.texts(), texts({"该墓位刚被其他操作员购买"}));
        elsewhere.notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("甲区"));
        QTest::qWait(200);
        QCOMPARE(office.prompter.texts(), texts({"该墓位刚被其他操作员购买"}));
        // 确定输入 still refuses the sale.
        office.prompter.shown.clear();
        type(buy, "Mask5", QStringLiteral("1000"));
        control<QLineEdit>(buy, "Mask1")->setText(QStringLiteral("李四"));
        click(buy, "Command1");
        QCOMPARE(office.prompter.texts(),
                 texts({"墓位“甲区1排0001号”现在是“已购”，不是“未使用”，不能购墓！"}));
    }

    // The overdue and due-today lists show at once what another desk (on one desk: another window) reserves,
    // the row the clerk picked staying picked where it moved to, and the order the clerk chose kept.
    void theReservationListsFollowTheReservationsMadeElsewhere() {
        Office office;
        office.data.sql(QStringLiteral(
            "INSERT INTO ydmd (墓碑位置, 联系人, 联系电话, 预交金额, 提醒日期, 需要提醒) VALUES "
            "('乙区1排0001号', '王五', '13800138000', 3000.125, '2026-12-01', 1), "
            "('乙区1排0002号', '李四', '13900139000', 2000.5, '2026-12-06', 1)"));
        AppContext& context = office.window.context();
        auto* overdue = control<QTableView>(context.host.open<OverdueReservationsWindow>(), "Grid1");
        auto* due = control<QTableView>(context.host.open<DueReminderWindow>(), "Grid1");
        const auto contactAt = [](QTableView* list, int row) {
            const QAbstractItemModel* model = list->model();
            for (int column = 0; column < model->columnCount(); ++column)
                if (model->headerData(column, Qt::Horizontal).toString() == QStringLiteral("联系人"))
                    return model->index(row, column).data().toString();
            return QString();
        };
        const auto pickLiSi = [&](QTableView* list, int row) {
            list->setCurrentIndex(list->model()->index(row, 2));
            QCOMPARE(contactAt(list, row), QStringLiteral("李四"));
        };
        pickLiSi(overdue, 1);
        // The clerk sorts the due list by contact, last first.
        const int contactColumn = due->horizontalHeader()->logicalIndex(0);
        due->sortByColumn(contactColumn, Qt::DescendingOrder);
        pickLiSi(due, 0);

        Database& elsewhere = office.elsewhere();
        QVERIFY(reserveElsewhere(elsewhere, office.session, QStringLiteral("甲区1排0001号"),
                                 QStringLiteral("赵六"), QDate(2026, 11, 30))
                    .saved);
        QTRY_COMPARE(overdue->model()->rowCount(), 3);
        QCOMPARE(contactAt(overdue, 0), QStringLiteral("赵六"));
        QCOMPARE(overdue->currentIndex().row(), 2);
        QCOMPARE(overdue->currentIndex().column(), 2);
        QCOMPARE(contactAt(overdue, 2), QStringLiteral("李四"));

        QVERIFY(reserveElsewhere(elsewhere, office.session, QStringLiteral("甲区1排0002号"),
                                 QStringLiteral("王六"), QDate(2026, 12, 6))
                    .saved);
        QTRY_COMPARE(due->model()->rowCount(), 2);
        QCOMPARE(contactAt(due, 0), QStringLiteral("王六"));
        QCOMPARE(contactAt(due, 1), QStringLiteral("李四"));
        QCOMPARE(due->currentIndex().row(), 1);
        QCOMPARE(due->horizontalHeader()->sortIndicatorSection(), contactColumn);
        QCOMPARE(overdue->model()->rowCount(), 4);
        QCOMPARE(contactAt(overdue, 2), QStringLiteral("李四"));
        QCOMPARE(overdue->currentIndex().row(), 2);
    }

    // Settling sells the reserved plot with its own prices although another plot was picked on the sale
    // map. A top-up follows the typing and clearing it brings back the amounts read; the receipt shows
    // the prepaid amount of 0 and the balance; the maintenance window and the reserved-plot map close.
    void aReservationIsSettledWithItsOwnPlot() {
        Office office;
        office.data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 绿化费, "
            "其它, 状态) VALUES ('甲区', '2', '0001', '单人墓', 2000, 400, 30, 20, 60, 500, '已预订')"));
        office.data.sql(QStringLiteral(
            "INSERT INTO ydmd (id, 编号, 墓碑位置, 联系人, 身份证号, 家庭住址, 联系电话, 工作单位, 预交金额, 成交金额, "
            "余额) VALUES (5, 12, '甲区2排0001号', '李四', '110101', '西街', '5550000', '纺织厂', 0, 10000, 10000)"));
        office.pickOnTheMap(QStringLiteral("甲区1排0001号"));
        // A purchase of another plot is half typed when the settlement comes into its window.
        click(office.find(QStringLiteral("frmgm_xz")), "Command2");
        QWidget* other = office.find(QStringLiteral("Frm_gm_blz"));
        for (const char* field : {"Mask1", "Mask_email", "Mask11", "Txt_qtf", "Txt_qt", "Mask_sfzh"})
            control<QLineEdit>(other, field)->setText(QStringLiteral("旧%1").arg(QLatin1String(field)));
        control<QCheckBox>(other, "ChkSx")->setChecked(true);
        control<QDateEdit>(other, "DTP1")->setDate(QDate(2027, 3, 4));
        office.session.chosenReservation = {5, QStringLiteral("甲区2排0001号")};
        office.window.context().host.open<ReservedMapWindow>(std::function<void()>{});
        office.window.context().host.open<ReservationMaintenanceWindow>()->takeChosenReservation();
        QWidget* keep = office.find(QStringLiteral("Frm_ydwh1"));
        QCOMPARE(texts(keep, {"Text1", "Mask1", "Mask2", "Mask3", "Mask4", "Mask5", "Mask6", "Mask7"}),
                 QStringLiteral("甲区2排0001号|0|李四|西街|5550000|纺织厂|0|10000"));
        type(keep, "Mask6", QStringLiteral("500"));
        QCOMPARE(texts(keep, {"Mask1", "Mask7"}), QStringLiteral("500|9500"));
        control<QLineEdit>(keep, "Mask6")->clear();
        QCOMPARE(texts(keep, {"Mask1", "Mask7"}), QStringLiteral("0|10000"));
        control<QLineEdit>(keep, "Mask2")->setText(QStringLiteral("李小四"));

        click(keep, "Command4");
        QWidget* buy = office.find(QStringLiteral("Frm_gm_blz"));
        QCOMPARE(buy->windowTitle(), QStringLiteral("交清余款"));
        QCOMPARE(texts(buy, {"Text1", "Mask5", "Mask6", "Mask7", "Mask8", "mask9", "Mask10", "Mask1", "Mask2",
                             "Mask3", "Mask4", "Mask_bh", "Mask_sfzh"}),
                 QStringLiteral("甲区2排0001号|2000|400|20|30|60|500|李小四|纺织厂|西街|5550000|12|110101"));
        QCOMPARE(texts(buy, {"Mask_email", "Mask11", "Txt_qtf"}), QStringLiteral("|无|"));
        QVERIFY(!control<QCheckBox>(buy, "ChkSx")->isChecked());
        QCOMPARE(control<QDateEdit>(buy, "DTP1")->date(), QDate(2026, 12, 6));
        click(buy, "Command1");
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("OK，输入成功！")}));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 状态 FROM mq_wz WHERE 排 = '2'")).toString(),
                 QStringLiteral("已购"));
        QCOMPARE(office.data.count(QStringLiteral("mq_wz"), QStringLiteral("状态 = '未使用'")), 2);
        QCOMPARE(office.data.count(QStringLiteral("ydmd")), 0);
        QCOMPARE(office.launcher.tails().value(1),
                 QStringLiteral("gm        $#select * from gm_xf1 where id=1"));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 余额 FROM gm_xf1 WHERE id = 1")).toInt(), 10000);
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_gm_blz")));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_ydwh1")));
        QTRY_VERIFY(!office.window.context().host.find<ReservedMapWindow>());
    }

    void aPlotSoldMeanwhileKeepsTheWindowAndItsInput() {
        Office office;
        office.pickOnTheMap(QStringLiteral("甲区1排0001号"));
        click(office.find(QStringLiteral("frmgm_xz")), "Command2");
        QWidget* buy = office.find(QStringLiteral("Frm_gm_blz"));
        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已购' WHERE 号 = '0001'"));
        control<QLineEdit>(buy, "Mask1")->setText(QStringLiteral("王五"));
        click(buy, "Command1");
        QCOMPARE(office.prompter.texts(),
                 QStringList({QStringLiteral("墓位“甲区1排0001号”现在是“已购”，不是“未使用”，不能购墓！")}));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj")), 0);
        QVERIFY(office.find(QStringLiteral("Frm_gm_blz")));
        QCOMPARE(texts(buy, {"Mask1"}), QStringLiteral("王五"));
    }
};

QTEST_MAIN(SaleWindowsTest)
#include "tst_salewindows.moc"
