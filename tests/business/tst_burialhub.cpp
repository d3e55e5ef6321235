#include "business/ui/burialhubwindow.h"
#include "support/runningoffice.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

// Picks the plot `key` of `area` on the sold-plot map and returns the burial management window.
QWidget* pick(RunningOffice& office, const QString& area, const QString& key) {
    office.window.resize(1280, 900);
    office.pickOnMap(QStringLiteral("M_lz"), QStringLiteral("Frm_xzlz"), area, key);
    return office.find(QStringLiteral("Frm_ck"));
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

class BurialHubTest : public QObject {
    Q_OBJECT

private slots:
    void theHubShowsThePickedPlotKeepsItsMemosAndOpensItsWindows() {
        RunningOffice office;
        office.session.reportList = QStringLiteral(",gz,lxr,");
        office.data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                           "('甲区', '1', '0001', '双人墓', '已购'), ('乙区', '1', '0001', '双人墓', "
                           "'已购')"));
        office.data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 编号, 故者姓名, 性别) VALUES "
                                       "('乙区1排0001号', '丙', 5, NULL, NULL), "
                                       "('甲区1排0001号', '甲', 7, '李四', '男'), "
                                       "('甲区1排0001号', '乙', 8, '王五', '女')"));
        // A memo of the other plot with the same row and number.
        office.data.sql(QStringLiteral("INSERT INTO mq_bwl (墓碑位置, 登记时间, 内容) VALUES "
                                       "('乙区1排0001号', '2026-01-02 08:00:00', '别处')"));

        QWidget* hub = pick(office, QStringLiteral("甲区"), QStringLiteral("甲区1排0001号"));
        QVERIFY(hub);
        QCOMPARE(control<QLabel>(hub, "Label1")->text(),
                 QStringLiteral("墓碑位置：甲区1排0001号  此墓落葬人数：2"));
        // Only the windows that exist open; the others wait.
        for (const char* waiting : {"Command8", "Command10"})
            QVERIFY(!control<QPushButton>(hub, waiting)->isEnabled());
        QVERIFY(control<QPushButton>(hub, "Command9")->isEnabled());

        auto* content = control<QLineEdit>(hub, "Mask1");
        auto* memos = control<QTableView>(hub, "Grid1");
        content->setText(QStringLiteral("   "));
        click(hub, "Command6");
        content->setText(QStringLiteral(" 清明扫墓 "));
        click(hub, "Command6");
        QCOMPARE(memos->model()->rowCount(), 2);
        QCOMPARE(content->text(), QStringLiteral("无")); // the first memo is current again

        office.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        click(hub, "Command7");
        QCOMPARE(office.data.count(QStringLiteral("mq_bwl")), 3);
        click(hub, "Command7");
        QCOMPARE(office.prompter.texts(),
                 texts({"你确信要删除记录id: 2 的记录么？", "你确信要删除记录id: 2 的记录么？"}));
        QCOMPARE(
            office.data.dump(QStringLiteral("mq_bwl")),
            text("1|乙区1排0001号|2026-01-02 08:00:00|别处\n3|甲区1排0001号|2026-12-06 09:30:00|清明扫墓"));
        QCOMPARE(memos->model()->rowCount(), 1);
        QCOMPARE(content->text(), QStringLiteral("清明扫墓"));

        click(hub, "Cmd_dygmz");
        QCOMPARE(office.launcher.tails(),
                 texts({"gz        $#select * from gm_dj where rid=2",
                        "lxr       $#select  * from gm_dj where 墓碑位置='甲区1排0001号'"}));

        // 物品收费 is filled from the plot's first register row.
        click(hub, "Command9");
        QWidget* charges = office.find(QStringLiteral("Frm_mq_qtf"));
        QVERIFY(charges);
        QCOMPARE(control<QLineEdit>(charges, "Maskmb")->text(), QStringLiteral("甲区1排0001号"));
        QCOMPARE(control<QLineEdit>(charges, "Masklxr")->text(), QStringLiteral("甲"));
        QCOMPARE(control<QLineEdit>(charges, "MaskEdBox1")->text(), QStringLiteral("7"));

        // A new pick refills the open window.
        hub = pick(office, QStringLiteral("乙区"), QStringLiteral("乙区1排0001号"));
        QCOMPARE(control<QLabel>(hub, "Label1")->text(),
                 QStringLiteral("墓碑位置：乙区1排0001号  此墓无人落葬"));
        QCOMPARE(content->text(), QStringLiteral("别处"));
    }

    // What went away meanwhile is told, never acted on: the plot returned after the pick, the memo
    // deleted at another desk.
    void aPlotOrMemoGoneMeanwhileIsTold() {
        RunningOffice office;
        office.data.sql(
            QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人) VALUES ('甲区1排0001号', '甲')"));
        office.data.sql(QStringLiteral("INSERT INTO mq_bwl (墓碑位置, 登记时间, 内容) VALUES "
                                       "('甲区1排0001号', '2026-01-02 08:00:00', '扫墓')"));
        office.session.chosenPurchase.key = QStringLiteral("甲区1排0001号");
        auto* hub = office.window.host().open<BurialHubWindow>(BurialHubWindows{});
        hub->takeChosenPurchase();
        QVERIFY(!control<QPushButton>(hub, "Command9")->isEnabled()); // nobody wired it
        office.data.sql(QStringLiteral("DELETE FROM mq_bwl"));
        office.prompter.answers << Prompter::Answer::Yes;
        click(hub, "Command7");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("这条备忘记录已经不在了。"));
        QCOMPARE(control<QTableView>(hub, "Grid1")->model()->rowCount(), 0);

        office.data.sql(QStringLiteral("DELETE FROM gm_dj"));
        office.window.host().open<BurialHubWindow>(BurialHubWindows{})->takeChosenPurchase();
        QCOMPARE(office.prompter.lastText(), QStringLiteral("此墓的购墓登记已经不在了，可能已被退墓。"));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_ck")));
    }
};

QTEST_MAIN(BurialHubTest)
#include "tst_burialhub.moc"
