#include "columbarium/storageregistrationservice.h"
#include "columbarium/ui/nichegridmodel.h"
#include "columbarium/ui/nichepictures.h"
#include "shared/rights.h"
#include "support/runningoffice.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

template <typename T> T* get(QWidget* window, const char* name) {
    return control<T>(window, name);
}

void click(QWidget* window, const char* name) {
    QTest::mouseClick(get<QPushButton>(window, name), Qt::LeftButton);
}

void choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

void type(QWidget* window, const char* name, const char* typed) {
    get<QLineEdit>(window, name)->setText(text(typed));
}

} // namespace

class ColumbariumWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void theNicheListModelShowsKeysAndPictures() {
        NicheGridModel model;
        QAbstractItemModelTester tester(&model);
        model.setNiches({{QStringLiteral("东厅1室0001号"), QStringLiteral("单人框")},
                         {QStringLiteral("东厅1室0002号"), QStringLiteral("双人框")}});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1).data(NicheGridModel::IconKeyRole), QVariant(QStringLiteral("K2")));
        QCOMPARE(model.index(0).data(NicheGridModel::PictureRole), QVariant(1));
        QCOMPARE(model.index(1).data(NicheGridModel::PictureRole), QVariant(2));
        QVERIFY(NichePictures::pixmap(1).toImage() != NichePictures::pixmap(2).toImage());
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    // A hall typed into the box, room 1 added, a run of three written and shown; typing a letter into a
    // number field empties it; single mode hides the step and the count.
    void theSetupWindowMakesHallsRoomsAndRuns() {
        RunningOffice office;
        QWidget* setup = office.run(QStringLiteral("M_szts"), QStringLiteral("Frmjc_sz"));
        QVERIFY(setup);
        QCOMPARE(setup->windowTitle(), QStringLiteral("寄存设置"));
        click(setup, "Cmdting_tj");
        QVERIFY(!get<QLineEdit>(setup, "Box1")->isHidden());
        get<QLineEdit>(setup, "Box1")->setText(QStringLiteral("东厅"));
        QTest::keyClick(get<QLineEdit>(setup, "Box1"), Qt::Key_Return);
        QCOMPARE(get<QComboBox>(setup, "Combo1")->currentText(), QStringLiteral("东厅"));
        QCOMPARE(get<QLabel>(setup, "Label1")->text(), QStringLiteral("东厅内现有 0 室,可容纳 0 位"));
        click(setup, "Cmdshi_zj");
        auto* rooms = get<QComboBox>(setup, "Combo2");
        QCOMPARE(rooms->count(), 1);
        rooms->setCurrentIndex(0);
        type(setup, "Mask1", "1");
        type(setup, "Mask2", "2");
        type(setup, "Mask3", "3");
        get<QComboBox>(setup, "Combo4")->setCurrentIndex(1);
        get<QComboBox>(setup, "Combo3")->setCurrentIndex(4);
        type(setup, "Mask4", "800.5");
        click(setup, "Command1");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("OK,设置完毕！"));
        QCOMPARE(get<QListWidget>(setup, "Grid1")->count(), 3);
        QCOMPARE(get<QListWidget>(setup, "Grid1")->item(2)->text(), QStringLiteral("东厅1室,新增了0005号"));
        QCOMPARE(get<QLabel>(setup, "Label1")->text(), QStringLiteral("东厅1室,共有 3 个位置可用"));
        // The hall chosen once more starts afresh, its status line with it.
        Q_EMIT get<QComboBox>(setup, "Combo1")->activated(0);
        QVERIFY(rooms->currentText().isEmpty());
        QCOMPARE(get<QLabel>(setup, "Label1")->text(), QStringLiteral("东厅内现有 1 室,可容纳 3 位"));
        rooms->setCurrentIndex(0);
        QCOMPARE(office.data.count(QStringLiteral("ghjc_wz"),
                                   QStringLiteral("层 = '5' AND 样式 = '单人框' AND 价位 = 800.5")),
                 3);

        QTest::keyClicks(get<QLineEdit>(setup, "Mask2"), QStringLiteral("x"));
        QCOMPARE(office.prompter.lastText(), QStringLiteral("跨步只能为0-9的字符！"));
        QVERIFY(get<QLineEdit>(setup, "Mask2")->text().isEmpty());
        click(setup, "Command2");
        QVERIFY(get<QLineEdit>(setup, "Mask2")->isHidden());
        QVERIFY(get<QLineEdit>(setup, "Mask3")->isHidden());
        QCOMPARE(get<QLabel>(setup, "Label_start")->text(), QStringLiteral("标签号"));
        QVERIFY(!get<QPushButton>(setup, "Command2")->isEnabled());
        QVERIFY(get<QPushButton>(setup, "Command3")->isEnabled());
    }

    // What the set-up and browse windows show follows the niches: a hall picked again, a layer chosen
    // before or a number looked up leaves no line or layer behind; a run deleted from another window is
    // read again.
    void theSetupAndBrowseLinesFollowTheNiches() {
        RunningOffice office;
        office.data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('东厅', '1', '2', '0001', '单人框', "
            "2400, '未使用'), ('东厅', '1', '3', '0002', '双人框', 3600, '未使用'), ('西厅', '1', '2', '0001', "
            "'单人框', 2400, '未使用')"));
        QWidget* browse = office.run(QStringLiteral("M_bljc"), QStringLiteral("Frm_bljc"));
        auto* layers = get<QComboBox>(browse, "Combo3");
        auto* bar = get<QLabel>(browse, "Bar1");
        auto* list = get<QListView>(browse, "LV1");
        choose(get<QComboBox>(browse, "Combo1"), QStringLiteral("东厅"));
        choose(get<QComboBox>(browse, "Combo2"), QStringLiteral("1"));
        choose(layers, QStringLiteral("3"));
        QCOMPARE(bar->text(), QStringLiteral("东厅1室，位于第3层的未使用位置数： 1"));
        choose(get<QComboBox>(browse, "Combo1"), QStringLiteral("东厅"));
        QCOMPARE(bar->text(), QString());
        QCOMPARE(layers->currentText(), QString());
        choose(get<QComboBox>(browse, "Combo2"), QStringLiteral("1"));
        QCOMPARE(layers->currentText(), QString());
        choose(layers, QStringLiteral("2"));
        type(browse, "Text1", "0002");
        QTest::keyClick(get<QLineEdit>(browse, "Text1"), Qt::Key_Return);
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(layers->currentText(), QString());
        choose(get<QComboBox>(browse, "Combo2"), QStringLiteral("1"));
        QCOMPARE(bar->text(), QStringLiteral("东厅1室，未使用的位置数： 2"));

        // A run deleted in the set-up window: both status lines say what is left.
        QWidget* setup = office.run(QStringLiteral("M_szts"), QStringLiteral("Frmjc_sz"));
        choose(get<QComboBox>(setup, "Combo1"), QStringLiteral("东厅"));
        choose(get<QComboBox>(setup, "Combo2"), QStringLiteral("1"));
        QCOMPARE(get<QLabel>(setup, "Label1")->text(), QStringLiteral("东厅1室,共有 2 个位置可用"));
        type(setup, "Masks", "2");
        type(setup, "Maske", "2");
        office.prompter.answers << Prompter::Answer::Yes;
        click(setup, "Command5");
        QCOMPARE(office.data.count(QStringLiteral("ghjc_wz"), QStringLiteral("厅 = '东厅'")), 1);
        QCOMPARE(get<QLabel>(setup, "Label1")->text(), QStringLiteral("东厅1室,共有 1 个位置可用"));
        QCOMPARE(list->model()->rowCount(), 1);
        QCOMPARE(bar->text(), QStringLiteral("东厅1室，未使用的位置数： 1"));

        // The mode buttons and the first number stay where they are in either mode.
        const auto spots = [&] {
            QApplication::processEvents(); // the layouts settle
            QList<QPoint> at;
            for (const char* name : {"Command3", "Command2", "Mask1", "Label_start"})
                at << get<QWidget>(setup, name)->mapTo(setup, QPoint(0, 0));
            return at;
        };
        const QList<QPoint> batch = spots();
        click(setup, "Command2");
        QCOMPARE(spots(), batch);
        click(setup, "Command3");
        QCOMPARE(spots(), batch);
    }

    // Browse, pick, register: what was typed survives a visit to 物品收费, whose live totals and row
    // follow; the save prints the papers and takes the niche off the browse list.
    void aStorageSurvivesAVisitToItemCharges() {
        RunningOffice office;
        office.window.resize(1200, 800);
        office.session.reportList = Rights::fullReportList();
        office.data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('东厅', '1', '2', '0001', '单人框', "
            "2400, '未使用'), ('东厅', '1', '2', '0002', '双人框', 3600, '未使用')"));
        QWidget* browse = office.run(QStringLiteral("M_bljc"), QStringLiteral("Frm_bljc"));
        QVERIFY(browse);
        choose(get<QComboBox>(browse, "Combo1"), QStringLiteral("东厅"));
        choose(get<QComboBox>(browse, "Combo2"), QStringLiteral("1"));
        QCOMPARE(get<QLabel>(browse, "Bar1")->text(), QStringLiteral("东厅1室，未使用的位置数： 2"));
        auto* list = get<QListView>(browse, "LV1");
        list->setCurrentIndex(list->model()->index(1, 0));
        office.prompter.answers << Prompter::Answer::Yes;
        QTest::keyClick(list, Qt::Key_Return);
        QWidget* registration = office.find(QStringLiteral("Frmjc_rd"));
        QVERIFY(registration);
        QCOMPARE(get<QLineEdit>(registration, "Text1")->text(), QStringLiteral("东厅1室0002号"));
        QCOMPARE(get<QLineEdit>(registration, "Mask7")->text(), QStringLiteral("3600"));
        QCOMPARE(get<QDateEdit>(registration, "DTP2")->date(), QDate(2046, 12, 6));

        get<QDateEdit>(registration, "DTP1")->setDate(QDate(2007, 4, 6));
        QCOMPARE(get<QDateEdit>(registration, "DTP2")->date(), QDate(2027, 4, 6));
        get<QDateEdit>(registration, "DTP3")->setDate(QDate(1930, 1, 2));
        type(registration, "Mask3", "陈小二");
        click(registration, "ComSf");
        QWidget* charges = office.find(QStringLiteral("Frm_jc_qtf"));
        QVERIFY(charges);
        QCOMPARE(get<QLineEdit>(charges, "MaskWZ")->text(), QStringLiteral("东厅1室0002号"));
        QCOMPARE(get<QLineEdit>(charges, "MaskLXR")->text(), QStringLiteral("陈小二"));
        type(charges, "Maskq1", "30");
        type(charges, "Masks1", "2");
        QCOMPARE(get<QLineEdit>(charges, "mask1")->text(), QStringLiteral("60"));
        type(charges, "Mask5", "100");
        QCOMPARE(get<QLineEdit>(charges, "Text1")->text(), QStringLiteral("160"));
        click(charges, "Command1");
        QVERIFY(!office.find(QStringLiteral("Frm_jc_qtf")));
        QCOMPARE(office.data.count(QStringLiteral("ghjc_xf2"), QStringLiteral("总计 = 160")), 1);

        QCOMPARE(get<QDateEdit>(registration, "DTP1")->date(), QDate(2007, 4, 6));
        QCOMPARE(get<QDateEdit>(registration, "DTP2")->date(), QDate(2027, 4, 6));
        QCOMPARE(get<QDateEdit>(registration, "DTP3")->date(), QDate(1930, 1, 2));
        type(registration, "Maskhx", "红木");
        type(registration, "Mask1", "陈二");
        get<QComboBox>(registration, "Combo1")->setCurrentIndex(0);
        type(registration, "Mask8", "3600");
        get<QCheckBox>(registration, "Check1")->setChecked(true);
        // Birth and death both left at today are asked about before they are stored.
        get<QDateEdit>(registration, "DTP3")->setDate(QDate(2026, 12, 6));
        QCOMPARE(get<QDateEdit>(registration, "DTP4")->date(), QDate(2026, 12, 6));
        office.prompter.answers.enqueue(Prompter::Answer::No);
        click(registration, "Command1");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("出生日期和死亡日期都是今天，确定保存吗？"));
        QCOMPARE(office.data.count(QStringLiteral("ghjc_dj")), 0);
        get<QDateEdit>(registration, "DTP3")->setDate(QDate(1930, 1, 2));
        click(registration, "Command1");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("输入成功！"));
        QVERIFY(!office.find(QStringLiteral("Frmjc_rd")));
        QCOMPARE(office.data.value(
                     QStringLiteral("SELECT 日期起 || '/' || 日期止 || '/' || 出生日期 FROM ghjc_dj")),
                 QVariant(QStringLiteral("2007-04-06/2027-04-06/1930-01-02")));
        QCOMPARE(office.launcher.tails().size(), 7);
        QCOMPARE(office.launcher.tails().at(0), QStringLiteral("jc_xf2$#select * from GHJC_XF2 where rid=1"));
        QCOMPARE(office.launcher.tails().at(2),
                 QStringLiteral("gz_jc$#select *, 1 as 不显示出生日期 from ghjc_dj where id=1"));
        // The browse list, read again, no longer offers the niche stored in.
        QVERIFY(list->model()
                    ->match(list->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("东厅1室0002号"))
                    .isEmpty());
    }

    // An open registration whose niche another desk (on one desk: another window) stores in says so at
    // once and once; the browse list under it is read again and keeps the clerk's pick.
    void aRegistrationWhoseNicheIsTakenElsewhereSaysSoAtOnce() {
        RunningOffice office;
        office.data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('东厅', '1', '2', '0001', '单人框', "
            "2400, '未使用'), ('东厅', '1', '2', '0002', '双人框', 3600, '未使用'), ('东厅', '1', '2', '0003', "
            "'单人框', 2400, '未使用')"));
        QWidget* browse = office.run(QStringLiteral("M_bljc"), QStringLiteral("Frm_bljc"));
        choose(get<QComboBox>(browse, "Combo1"), QStringLiteral("东厅"));
        choose(get<QComboBox>(browse, "Combo2"), QStringLiteral("1"));
        auto* list = get<QListView>(browse, "LV1");
        list->setCurrentIndex(list->model()->index(1, 0));
        QCOMPARE(list->currentIndex().data().toString(), QStringLiteral("东厅1室0002号"));
        office.prompter.answers << Prompter::Answer::Yes;
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(office.find(QStringLiteral("Frmjc_rd")));
        office.prompter.shown.clear();

        Database& elsewhere = office.elsewhere();
        const auto store = [&](const QString& key) {
            StorageForm form;
            form.nicheKey = key;
            form.urnType = QStringLiteral("红木");
            form.storedFrom = QDate(2026, 12, 6);
            form.storedUntil = QDate(2046, 12, 6);
            form.deceased = QStringLiteral("陈一");
            form.sex = QStringLiteral("男");
            form.contact = QStringLiteral("陈小二");
            form.amountDue = form.amountReceived = QStringLiteral("800");
            return StorageRegistrationService({elsewhere, office.session, office.clock}).save(form).saved;
        };

        QVERIFY(store(QStringLiteral("东厅1室0001号")));
        QTRY_COMPARE(list->model()->rowCount(), 2);
        QCOMPARE(list->currentIndex().data().toString(), QStringLiteral("东厅1室0002号"));
        QCOMPARE(office.prompter.texts(), QStringList());

        QVERIFY(store(QStringLiteral("东厅1室0002号")));
        QTRY_COMPARE(office.prompter.texts(), QStringList({QStringLiteral("该寄存位刚被其他操作员占用")}));
        QTRY_COMPARE(list->model()->rowCount(), 1);
        QVERIFY(store(QStringLiteral("东厅1室0003号")));
        QTRY_COMPARE(list->model()->rowCount(), 0);
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("该寄存位刚被其他操作员占用")}));
    }
};

QTEST_MAIN(ColumbariumWindowsTest)
#include "tst_columbariumwindows.moc"
