#include "business/ui/burialhubwindow.h"
#include "business/ui/burialrecordswindow.h"
#include "business/ui/burialwindow.h"
#include "business/ui/itemchargeswindow.h"
#include "foundation/ui/appcontext.h"
#include "support/runningoffice.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// A sold double grave registered to 王五, with the reports of a burial in the operator's list.
struct Office : RunningOffice {
    Office() {
        session.reportList = QStringLiteral(",gz,,g,,lxr,,dj,");
        session.chosenPurchase.key = QStringLiteral("甲区1排0001号");
        data.sql(QStringLiteral("INSERT INTO gx (gx) VALUES ('女儿')"));
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES ('甲区', '1', '0001', "
                                "'双人墓', '已购')"));
        data.sql(
            QStringLiteral("INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 联系电话, "
                           "主碑材质, 证书编号) VALUES (7, '甲区1排0001号', '2026-01-02', '2026-01-03', "
                           "'2046-01-03', '王五', '5551234', '青石', 'Z-9')"));
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 操作方式, 安葬日期) VALUES "
                                "('甲区1排0001号', '购墓', '')"));
    }
    AppContext& context() { return window.context(); }
    // Opened from the burial management window, which a save closes too.
    template <typename Window> Window* open() {
        context().host.open<BurialHubWindow>();
        return context().host.open<Window>();
    }
    bool hubOpen() { return window.host().find<BurialHubWindow>(); }
};

} // namespace

class BurialWindowsTest : public QObject {
    Q_OBJECT

private slots:
    // The window fills from the chosen plot once; what was typed survives a visit to 物品收费; the
    // save prints the woman's certificate under its nine-character name and closes the window.
    void aBurialIsRegisteredFromTheChosenPlot() {
        Office office;
        auto* burial = office.open<BurialWindow>();
        burial->takeChosenPurchase();
        QCOMPARE(control<QLabel>(burial, "Lbl_bh")->text(), QStringLiteral("7"));
        QCOMPARE(control<QDateEdit>(burial, "DTP2")->date(), QDate(2046, 1, 3));
        QCOMPARE(control<QLineEdit>(burial, "Mask7")->text(), QStringLiteral("5551234"));
        QCOMPARE(control<QLineEdit>(burial, "Maskzsbh")->text(), QStringLiteral("Z-9"));
        QCOMPARE(control<QComboBox>(burial, "Combcz")->currentText(), QStringLiteral("青石"));
        QCOMPARE(control<QComboBox>(burial, "Comblx")->currentText(), QStringLiteral("未定"));
        QCOMPARE(
            control<QComboBox>(burial, "Combo2")->itemText(control<QComboBox>(burial, "Combo2")->count() - 1),
            QStringLiteral("女儿"));

        control<QLineEdit>(burial, "Mask1")->setText(QStringLiteral("张梅"));
        control<QComboBox>(burial, "Combo1")->setCurrentText(QStringLiteral("女"));
        control<QDateEdit>(burial, "DTP3")->setDate(QDate(1950, 1, 1));
        QTest::mouseClick(control<QPushButton>(burial, "Command3"), Qt::LeftButton);
        QVERIFY(office.find(QStringLiteral("Frm_mq_qtf")));
        QCOMPARE(office.open<BurialWindow>(), burial);
        // A renewal meanwhile: the window keeps what was typed and what it showed, and the save leaves
        // the renewed end as it is.
        office.data.sql(QStringLiteral("UPDATE gm_dj SET 日期止 = '2066-01-03'"));
        burial->takeChosenPurchase();
        QCOMPARE(control<QLineEdit>(burial, "Mask1")->text(), QStringLiteral("张梅"));
        QCOMPARE(control<QDateEdit>(burial, "DTP2")->date(), QDate(2046, 1, 3));

        QTest::mouseClick(control<QPushButton>(burial, "Command1"), Qt::LeftButton);
        QCOMPARE(office.prompter.lastText(), QStringLiteral("输入成功"));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 日期起 || '~' || 日期止 || 故者姓名 FROM gm_dj"))
                     .toString(),
                 QStringLiteral("2026-01-03~2066-01-03张梅"));
        QTRY_VERIFY(!office.hubOpen());
        QVERIFY(!office.find(QStringLiteral("Frm_lz")));
        QCOMPARE(
            office.launcher.tails(),
            QStringList({QStringLiteral("g        $#select * from gm_dj where rid=1"),
                         QStringLiteral("lxr       $#select * from gm_dj where 墓碑位置='甲区1排0001号'"),
                         QStringLiteral("dj        $#select * from gm_dj where rid=1")}));
    }

    // The records window keeps its row when brought back, and "否" to the question deregisters nothing.
    void recordsStayWhereTheOperatorLeftThem() {
        Office office;
        office.data.sql(QStringLiteral("UPDATE gm_dj SET 故者姓名 = '李四', 性别 = '男'"));
        office.data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 故者姓名, 性别, 联系人) VALUES "
                                       "('甲区1排0001号', '张梅', '女', '王五')"));
        auto* records = office.open<BurialRecordsWindow>();
        records->takeChosenPurchase();
        QCOMPARE(records->windowTitle(), QStringLiteral("甲区1排0001号 数据维护"));
        auto* next = control<QPushButton>(records, "Command2");
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        QVERIFY(!next->isEnabled());
        QCOMPARE(office.open<BurialRecordsWindow>(), records);
        records->takeChosenPurchase();
        QCOMPARE(control<QLineEdit>(records, "Mask1")->text(), QStringLiteral("张梅"));
        QCOMPARE(control<QComboBox>(records, "Combo1")->currentText(), QStringLiteral("女"));

        office.prompter.answers.enqueue(Prompter::Answer::No);
        QTest::mouseClick(control<QPushButton>(records, "Command4"), Qt::LeftButton);
        QCOMPARE(office.prompter.shown.last().caption, QStringLiteral("注销"));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj")), 2);
        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        QTest::mouseClick(control<QPushButton>(records, "Command4"), Qt::LeftButton);
        QCOMPARE(office.data.db().texts(QStringLiteral("SELECT 故者姓名 FROM gm_dj"), {}, {}),
                 QStringList{QStringLiteral("李四")});
        QVERIFY(!office.find(QStringLiteral("Frm_lzwh")));
        QTRY_VERIFY(!office.hubOpen());
    }
};

QTEST_MAIN(BurialWindowsTest)
#include "tst_burialwindows.moc"
