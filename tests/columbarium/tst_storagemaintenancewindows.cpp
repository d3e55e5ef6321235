#include "shared/rights.h"
#include "support/runningoffice.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

void click(QWidget* window, const char* name) {
    QTest::mouseClick(control<QPushButton>(window, name), Qt::LeftButton);
}

void choose(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text);
    QVERIFY(index >= 0);
    combo->setCurrentIndex(index);
    Q_EMIT combo->activated(index);
}

QString field(QWidget* window, const char* name) {
    return control<QLineEdit>(window, name)->text();
}

} // namespace

class StorageMaintenanceWindowsTest : public QObject {
    Q_OBJECT

private slots:
    // The occupied niche picked in the browse opens its options: memos added and deleted by id, then the
    // maintenance filled for it, which keeps what was typed when it is opened again; renewed twice from
    // the end it shows, then cancelled with a refund: both windows close and the browse list empties.
    void anOccupiedNicheIsMaintainedFromTheBrowse() {
        RunningOffice office;
        office.window.resize(1200, 800);
        office.session.reportList = Rights::fullReportList();
        office.data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('东厅', '1', '2', '0001', '单人框', "
            "2400.5, '已使用'), ('东厅', '1', '2', '0002', '双人框', 3600, '未使用'), ('西厅', '1', '2', '0001', "
            "'单人框', 800, '已使用')"));
        office.data.sql(QStringLiteral(
            "INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 出生日期, 逝世日期, 日期起, 日期止, 联系人, "
            "关系) VALUES ('西厅1室0001号', '檀木', '李四', '女', '1940-05-06', '2007-01-02', '2007-04-06', "
            "'2027-04-06', '李小四', '母女'), ('东厅1室0001号', '红木', '陈二', '男', '1930-01-02', "
            "'2007-03-04', '2007-04-06', '2027-04-06', '陈小二', '父子')"));
        office.data.sql(QStringLiteral("INSERT INTO jc_bwl (寄存位置, 操作时间, 备忘内容) VALUES "
                                       "('西厅1室0001号', '2026-01-02 08:00:00', '别处')"));

        QWidget* browse = office.run(QStringLiteral("M_jcwh"), QStringLiteral("Frmjc_wh"));
        QVERIFY(browse);
        QCOMPARE(browse->windowTitle(), QStringLiteral("寄存维护位置选择"));
        choose(control<QComboBox>(browse, "Combo1"), QStringLiteral("东厅"));
        choose(control<QComboBox>(browse, "Combo2"), QStringLiteral("1"));
        QCOMPARE(control<QLabel>(browse, "Bar1")->text(), QStringLiteral("东厅1室，已使用的位置数： 1"));
        click(browse, "Command2");
        QCOMPARE(office.launcher.tails(),
                 texts({"jcwzs$#select * from ghjc_wz where 厅='东厅' and 室='1' and 状态='已使用' order by "
                        "号@已使用寄存框架"}));
        auto* list = control<QListView>(browse, "LV1");
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_Return);

        QWidget* options = office.find(QStringLiteral("Frm_jcxx"));
        QVERIFY(options);
        QVERIFY(office.prompter.shown.isEmpty()); // picked without a question
        QCOMPARE(control<QLabel>(options, "Label1")->text(),
                 QStringLiteral("当前位置： 东厅1室0001号 -- 价位： 2400.5"));
        auto* memos = control<QTableView>(options, "Grid1");
        QCOMPARE(memos->model()->rowCount(), 0);
        control<QLineEdit>(options, "Mask1")->setText(QStringLiteral("  "));
        click(options, "Command2");
        control<QLineEdit>(options, "Mask1")->setText(QStringLiteral(" 清明 "));
        click(options, "Command2");
        QCOMPARE(memos->model()->rowCount(), 2);
        QCOMPARE(memos->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("寄存位置"));
        QCOMPARE(field(options, "Mask1"), QStringLiteral("无"));
        office.prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        click(options, "Command3");
        QCOMPARE(office.data.count(QStringLiteral("jc_bwl")), 3);
        click(options, "Command3");
        QCOMPARE(office.prompter.texts(),
                 texts({"您确信要删除id： 2 的记录吗？", "您确信要删除id： 2 的记录吗？"}));
        QCOMPARE(office.data.dump(QStringLiteral("jc_bwl")),
                 text("1|西厅1室0001号|2026-01-02 08:00:00|别处\n3|东厅1室0001号|2026-12-06 09:30:00|清明"));
        QCOMPARE(field(options, "Mask1"), QStringLiteral("清明"));

        click(options, "Command1");
        QWidget* maintenance = office.find(QStringLiteral("Frm_ghjc_wh"));
        QVERIFY(maintenance);
        QCOMPARE(field(maintenance, "Text1"), QStringLiteral("东厅1室0001号"));
        QCOMPARE(field(maintenance, "Mask1"), QStringLiteral("陈二"));
        QCOMPARE(field(maintenance, "Mask7"), QStringLiteral("2400.5"));
        QCOMPARE(control<QComboBox>(maintenance, "Combo2")->currentText(), QStringLiteral("父子"));
        auto* until = control<QDateEdit>(maintenance, "DTP2");
        QCOMPARE(control<QDateEdit>(maintenance, "DTP1")->date(), QDate(2007, 4, 6));
        QCOMPARE(until->date(), QDate(2027, 4, 6));
        QCOMPARE(control<QDateEdit>(maintenance, "DTP3")->date(), QDate(1930, 1, 2));

        // Typed, then the window opened again from the options: what was typed stays.
        control<QLineEdit>(maintenance, "Mask8")->setText(QStringLiteral("2000"));
        until->setDate(QDate(2047, 4, 6));
        click(options, "Command1");
        QCOMPARE(field(maintenance, "Mask8"), QStringLiteral("2000"));
        QCOMPARE(until->date(), QDate(2047, 4, 6));

        office.prompter.shown.clear();
        office.launcher.started.clear();
        click(maintenance, "Command2");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("续存成功!"));
        QCOMPARE(office.launcher.tails(), texts({"jc_xc$#select * from ghjc_xf1 where id=1@ 20年",
                                                 "jc_xf1$#select * from ghjc_xf1 where id=1"}));
        // A second click charges nothing from the old end: the window now starts from 2047.
        click(maintenance, "Command2");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("使用日期起止错误!"));
        until->setDate(QDate(2052, 4, 6));
        click(maintenance, "Command2");
        QCOMPARE(office.data.db().texts(
                     QStringLiteral("SELECT 日期起 || '~' || 日期止 || '~' || CAST(实收费 AS INTEGER) "
                                    "FROM ghjc_xf1 ORDER BY id"),
                     {}, QStringLiteral("test read")),
                 texts({"2027-04-06~2047-04-06~2000", "2047-04-06~2052-04-06~2000"}));

        office.launcher.started.clear();
        office.prompter.answers << Prompter::Answer::Yes;
        office.prompter.inputs << QStringLiteral("300");
        click(maintenance, "Command3");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("注销成功!"));
        QCOMPARE(office.launcher.tails(), texts({"jc_tf$#SELECT * FROM JC_TF WHERE rid=1"}));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_ghjc_wh")));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_jcxx")));
        QCOMPARE(list->model()->rowCount(), 0);
        QCOMPARE(
            office.data.value(QStringLiteral("SELECT 状态 FROM ghjc_wz WHERE 存放位置 = '东厅1室0001号'")),
            QVariant(QStringLiteral("未使用")));
        QCOMPARE(office.data.count(QStringLiteral("ghjc_dj")), 1);
    }
};

QTEST_MAIN(StorageMaintenanceWindowsTest)
#include "tst_storagemaintenancewindows.moc"
