#include "business/ui/burialhubwindow.h"
#include "support/runningoffice.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

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

        QWidget* hub = pickSoldPlot(office, QStringLiteral("甲区"), QStringLiteral("甲区1排0001号"));
        QVERIFY(hub);
        QCOMPARE(control<QLabel>(hub, "Label1")->text(),
                 QStringLiteral("墓碑位置：甲区1排0001号  此墓落葬人数：2"));
        for (const char* button : {"Command8", "Command9", "Command10", "Command11", "Command12"})
            QVERIFY(control<QPushButton>(hub, button)->isEnabled());

        auto* content = control<QLineEdit>(hub, "Mask1");
        auto* memos = control<QTableView>(hub, "Grid1");
        content->setText(QStringLiteral("   "));
        click(hub, "Command6");
        content->setText(QStringLiteral(" 清明扫墓 "));
        click(hub, "Command6");
        QCOMPARE(memos->model()->rowCount(), 2);
        QCOMPARE(content->text(), QStringLiteral("无")); // the first memo is current again
        // Two notes of one day are told apart by their time.
        int moment = -1;
        for (int column = 0; column < memos->model()->columnCount(); ++column)
            if (memos->model()->headerData(column, Qt::Horizontal).toString() == QStringLiteral("登记时间"))
                moment = column;
        QCOMPARE(memos->model()->index(1, moment).data().toString(), QStringLiteral("2026-12-06 09:30:00"));

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

        // 收费记录 lists the plot's fee rows.
        office.data.sql(
            QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 操作方式) VALUES ('甲区1排0001号', '购墓')"));
        click(hub, "Command8");
        QWidget* fees = office.find(QStringLiteral("Frm_mqsfjl"));
        QVERIFY(fees);
        QCOMPARE(control<QLabel>(fees, "Label1")->text(),
                 QStringLiteral("当前记录id: 1  ----  操作方式： 购墓"));

        // A new pick refills the open window.
        hub = pickSoldPlot(office, QStringLiteral("乙区"), QStringLiteral("乙区1排0001号"));
        QCOMPARE(control<QLabel>(hub, "Label1")->text(),
                 QStringLiteral("墓碑位置：乙区1排0001号  此墓无人落葬"));
        QCOMPARE(content->text(), QStringLiteral("别处"));
    }

    // The hub opens the burial, records and renewal windows for its plot; a return closes all of them
    // with the hub and the map, and the plot is free again.
    void aReturnClosesEveryWindowOfThePlot() {
        RunningOffice office;
        office.data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态, 墓地费) VALUES "
                                       "('甲区', '1', '0001', '双人墓', '已购', 1000)"));
        office.data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 编号, 故者姓名, 性别, 日期止) "
                                       "VALUES ('甲区1排0001号', '甲', 7, '李四', '男', '2046-01-01')"));
        QWidget* hub = pickSoldPlot(office, QStringLiteral("甲区"), QStringLiteral("甲区1排0001号"));
        const QStringList plotWindows = texts({"Frm_lz", "Frm_lzwh", "Frm_jxf"});
        for (const char* button : {"Command1", "Command2", "Command3"})
            click(hub, button);
        for (const QString& name : plotWindows)
            QVERIFY2(office.find(name), qPrintable(name));
        QCOMPARE(control<QLineEdit>(office.find(QStringLiteral("Frm_lz")), "Text1")->text(),
                 QStringLiteral("甲区1排0001号"));
        QCOMPARE(office.find(QStringLiteral("Frm_jxf"))->windowTitle(),
                 QStringLiteral("甲区1排0001号 加续费管理"));

        click(hub, "Command5");
        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        click(office.find(QStringLiteral("Frm_tmtf")), "Command1");
        QCOMPARE(office.data.value(QStringLiteral("SELECT 状态 FROM mq_wz")).toString(),
                 QStringLiteral("未使用"));
        for (const QString& name : plotWindows + texts({"Frm_ck", "Frm_xzlz"}))
            QTRY_VERIFY2(!office.find(name), qPrintable(name));
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
        auto* hub = office.window.host().open<BurialHubWindow>();
        hub->takeChosenPurchase();
        office.data.sql(QStringLiteral("DELETE FROM mq_bwl"));
        office.prompter.answers << Prompter::Answer::Yes;
        click(hub, "Command7");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("这条备忘记录已经不在了。"));
        QCOMPARE(control<QTableView>(hub, "Grid1")->model()->rowCount(), 0);

        office.data.sql(QStringLiteral("DELETE FROM gm_dj"));
        office.window.host().open<BurialHubWindow>()->takeChosenPurchase();
        QCOMPARE(office.prompter.lastText(), QStringLiteral("此墓的购墓登记已经不在了，可能已被退墓。"));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_ck")));
    }
};

QTEST_MAIN(BurialHubTest)
#include "tst_burialhub.moc"
