#include "business/constructionsearch.h"
#include "business/constructionservice.h"
#include "support/runningoffice.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QTest>
#include <QTextEdit>
#include <algorithm>

namespace {

const QString plot = QStringLiteral("甲区1排0001号");

// The names of the rows a search finds, in its order.
QStringList namesFound(Database& database, const BoundQuery& query) {
    QSqlQuery found = database.exec(query.sql, query.values, QStringLiteral("test"));
    QStringList names;
    while (found.next())
        names << found.record().value(QStringLiteral("故者姓名")).toString();
    return names;
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// A sold plot 0001 with two buried and a free plot 0002 in 甲区, and a sold plot with the same number
// and the same first deceased in 乙区.
void soldPlots(TestData& data) {
    data.sql(
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES ('甲区', '1', '0001', '双人墓', "
                       "'已购'), ('甲区', '1', '0002', '双人墓', '未使用'), ('乙区', '1', '0001', "
                       "'双人墓', '已购')"));
    data.sql(QStringLiteral(
        "INSERT INTO gm_dj (墓碑位置, 联系人, 故者姓名) VALUES ('乙区1排0001号', '丙', '李四'), "
        "('甲区1排0001号', '甲', '李四'), ('甲区1排0001号', '甲', '王五')"));
}

} // namespace

class ConstructionTest : public QObject {
    Q_OBJECT

private slots:
    // One order row per plot and deceased, saved again in place; the acceptance starts from the order
    // of its own plot; a tomb type is learnt once.
    void ordersAndAcceptancesAreOneRowPerPlotAndDeceased() {
        TestData data;
        soldPlots(data);
        Session session;
        const FixedClock clock{testNow()};
        ConstructionService orders({data.db(), session, clock}, ConstructionSheet::Order);
        ConstructionService acceptances({data.db(), session, clock}, ConstructionSheet::Acceptance);

        SheetValues order = orders.load(plot);
        QCOMPARE(order.value(QStringLiteral("故者姓名")).toString(), QStringLiteral("李四"));
        QCOMPARE(order.value(QStringLiteral("竣工时间")).toDate(), QDate(2026, 12, 6));
        QCOMPARE(order.value(QStringLiteral("墓型")).toString(), QString());

        order[QStringLiteral("故者姓名")] = QStringLiteral("  ");
        SaveOutcome outcome = orders.save(plot, order);
        QCOMPARE(outcome.message->text, QStringLiteral("故者姓名不能为空！"));
        QCOMPARE(outcome.message->caption, QString());
        QCOMPARE(outcome.focus, QStringLiteral("Maskxrname"));
        order = {{QStringLiteral("故者姓名"), QStringLiteral(" 李四 ")},
                 {QStringLiteral("墓型"), QStringLiteral(" 双穴墓 ")},
                 {QStringLiteral("穴位深度"), QStringLiteral("1.5米")},
                 {QStringLiteral("穴位数量"), QStringLiteral("2")},
                 {QStringLiteral("墓面铺设"), QStringLiteral(" 花岗岩 ")},
                 {QStringLiteral("竣工时间"), QDate(2027, 3, 1)},
                 {QStringLiteral("备注"), QStringLiteral("先立碑\n后铺面 ")},
                 {QStringLiteral("编号"), QStringLiteral(" S-7")}};
        outcome = orders.save(QStringLiteral("甲区1排0009号"), order);
        QCOMPARE(outcome.message->text, QStringLiteral("此墓的购墓登记已经不在了，可能已被退墓。"));
        QCOMPARE(data.count(QStringLiteral("jmsg")), 0);

        // The other plot's order of the same deceased stays out of this plot's sheets.
        QVERIFY(
            orders
                .save(QStringLiteral("乙区1排0001号"), {{QStringLiteral("故者姓名"), QStringLiteral("李四")},
                                                        {QStringLiteral("墓型"), QStringLiteral("别处墓")},
                                                        {QStringLiteral("竣工时间"), QDate(2027, 1, 1)}})
                .saved);
        outcome = orders.save(plot, order);
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->text, QStringLiteral("保存成功！"));
        QCOMPARE(PrintBridge::commandTail(outcome.prints.value(0)),
                 QStringLiteral("jmsg      $#select * from jmsg where rid=2"));
        order[QStringLiteral("穴位数量")] = QStringLiteral("3");
        QVERIFY(orders.save(plot, order).saved);
        order[QStringLiteral("故者姓名")] = QStringLiteral("王五");
        QVERIFY(orders.save(plot, order).saved);
        QCOMPARE(data.dump(QStringLiteral("jmsg")),
                 text("1|乙区1排0001号|李四|别处墓|0||0|2027-01-01||\n"
                      "2|甲区1排0001号|李四|双穴墓|1.5|花岗岩|3|2027-03-01|先立碑\n后铺面 | S-7\n"
                      "3|甲区1排0001号|王五|双穴墓|1.5|花岗岩|3|2027-03-01|先立碑\n后铺面 | S-7"));

        SheetValues acceptance = acceptances.load(plot);
        QCOMPARE(acceptance.value(QStringLiteral("所建墓型")).toString(), QStringLiteral("双穴墓"));
        QCOMPARE(acceptance.value(QStringLiteral("穴位深度")).toString(), QStringLiteral("1.5"));
        QCOMPARE(acceptance.value(QStringLiteral("穴位数量")).toString(), QStringLiteral("3"));
        QCOMPARE(acceptance.value(QStringLiteral("编号")).toString(), QStringLiteral(" S-7"));
        QCOMPARE(acceptance.value(QStringLiteral("竣工时间")).toDate(), QDate(2026, 12, 6));
        acceptance[QStringLiteral("建墓质量评定")] = QStringLiteral("优");
        acceptance[QStringLiteral("需整改内容")] = QStringLiteral("无");
        acceptance[QStringLiteral("验收人")] = QStringLiteral("赵");
        acceptance[QStringLiteral("施工方代表")] = QStringLiteral("钱");
        acceptance[QStringLiteral("工程部代表")] = QStringLiteral("孙");
        outcome = acceptances.save(plot, acceptance);
        QCOMPARE(PrintBridge::commandTail(outcome.prints.value(0)),
                 QStringLiteral("sgys      $#select * from jmsgys where rid=1"));
        QCOMPARE(data.dump(QStringLiteral("jmsgys")),
                 text("1|甲区1排0001号|李四|双穴墓|1.5|3|2026-12-06|优|无|赵|钱|孙| S-7"));
        // A written acceptance is shown as written, not as the order says.
        order[QStringLiteral("故者姓名")] = QStringLiteral("李四");
        order[QStringLiteral("墓型")] = QStringLiteral("三穴墓");
        QVERIFY(orders.save(plot, order).saved);
        QCOMPARE(acceptances.load(plot).value(QStringLiteral("所建墓型")).toString(),
                 QStringLiteral("双穴墓"));

        QVERIFY(orders.learnTombType(QStringLiteral(" 三穴墓 ")));
        QVERIFY(!acceptances.learnTombType(QStringLiteral("三穴墓")));
        QCOMPARE(acceptances.tombTypes(), texts({"三穴墓"}));
    }

    // Typed text matches literally; numbers as shown, dates as yyyy-MM-dd; blank shows everything.
    void searchesFindWhatWasTyped() {
        TestData data;
        data.sql(QStringLiteral("INSERT INTO jmsg (墓地位置, 故者姓名, 穴位数量, 穴位深度, 竣工时间) VALUES "
                                "('甲区1排0001号', '百分_百%', 2, 1.5, '2027-03-01'), "
                                "('甲区1排0002号', '百分比百分', 12, 2, '2027-04-01'), "
                                "('甲区1排0003号', '零', 2.5, 0.5, '2028-03-01')"));
        data.sql(QStringLiteral(
            "INSERT INTO jmsgys (墓地位置, 故者姓名, 工程部代表) VALUES "
            "('甲区1排0001号', '百分_百%', '孙_一'), ('甲区1排0002号', '百分比百分', '孙二')"));
        const auto found = [&](ConstructionSheet sheet, const QString& option, const char* typed) {
            const SearchBook& book = ConstructionSearch::book(sheet);
            const auto chosen = std::find_if(book.fields.cbegin(), book.fields.cend(),
                                             [&](const SearchField& each) { return each.caption == option; });
            return namesFound(data.db(), book.find(data.db(), *chosen, QString::fromUtf8(typed)));
        };
        const auto order = ConstructionSheet::Order;
        QCOMPARE(found(order, QStringLiteral("先人姓名"), " _百% "), texts({"百分_百%"}));
        QCOMPARE(found(order, QStringLiteral("先人姓名"), "  "), texts({"百分_百%", "百分比百分", "零"}));
        QCOMPARE(found(order, QStringLiteral("穴位数量"), "2"), texts({"百分_百%", "百分比百分", "零"}));
        QCOMPARE(found(order, QStringLiteral("穴位数量"), "2.0"), QStringList());
        QCOMPARE(found(order, QStringLiteral("穴位深度"), ".5"), texts({"百分_百%", "零"}));
        QCOMPARE(found(order, QStringLiteral("竣工时间"), "-03-"), texts({"百分_百%", "零"}));
        QCOMPARE(found(ConstructionSheet::Acceptance, QStringLiteral("工程部代表"), "_"),
                 texts({"百分_百%"}));
    }

    // The burial management opens the sheets for its own plot, whatever was picked on the sale map
    // since; the query windows find what was written.
    void theHubOpensTheSheetsOfItsOwnPlot() {
        RunningOffice office;
        office.window.resize(1280, 900);
        soldPlots(office.data);
        office.pickOnMap(QStringLiteral("M_lz"), QStringLiteral("Frm_xzlz"), QStringLiteral("甲区"), plot);
        QWidget* hub = office.find(QStringLiteral("Frm_ck"));
        QVERIFY(hub);
        office.pickOnMap(QStringLiteral("M_gm"), QStringLiteral("Frm_gm"), QStringLiteral("甲区"),
                         QStringLiteral("甲区1排0002号"));
        QCOMPARE(office.session.chosenPlot.key, QStringLiteral("甲区1排0002号"));

        click(hub, "Command11");
        QWidget* order = office.find(QStringLiteral("Frm_jmsg"));
        QVERIFY(order);
        QCOMPARE(control<QLineEdit>(order, "Maskmdwz")->text(), plot);
        QCOMPARE(control<QLineEdit>(order, "Maskxrname")->text(), QStringLiteral("李四"));
        auto* type = control<QComboBox>(order, "Maskmx");
        type->setCurrentText(QStringLiteral("三穴墓"));
        Q_EMIT type->lineEdit()->editingFinished();
        QCOMPARE(type->count(), 1);
        control<QLineEdit>(order, "Maskxwsd")->setText(QStringLiteral("1.2"));
        control<QLineEdit>(order, "Maskxwsl")->setText(QStringLiteral("2"));
        control<QTextEdit>(order, "Richbz")->setPlainText(QStringLiteral("南向"));
        click(order, "Command1");
        QCOMPARE(office.prompter.lastText(), QStringLiteral("保存成功！"));
        QCOMPARE(office.launcher.tails(), texts({"jmsg      $#select * from jmsg where rid=1"}));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_jmsg")));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 墓地位置 || 备注 FROM jmsg")).toString(),
                 QStringLiteral("甲区1排0001号南向"));

        click(hub, "Command12");
        QWidget* acceptance = office.find(QStringLiteral("Frm_jmsgys"));
        QVERIFY(acceptance);
        QCOMPARE(control<QComboBox>(acceptance, "Maskmx")->currentText(), QStringLiteral("三穴墓"));
        QCOMPARE(control<QComboBox>(acceptance, "Maskmx")->count(), 1); // the type learnt in the order
        QCOMPARE(control<QLineEdit>(acceptance, "Maskxwsd")->text(), QStringLiteral("1.2"));
        control<QLineEdit>(acceptance, "Maskysr")->setText(QStringLiteral("赵"));
        click(acceptance, "Command1");
        QCOMPARE(office.data.count(QStringLiteral("jmsgys"), QStringLiteral("墓地位置 = ? AND 验收人 = '赵'"),
                                   {plot}),
                 1);

        for (const auto& [command, name] : {std::pair{"sgcx", "Frm_sgcx"}, std::pair{"yscx", "Frm_jgcx"}}) {
            QWidget* search = office.run(QString::fromLatin1(command), QString::fromLatin1(name));
            QVERIFY(search);
            auto* grid = control<QTableView>(search, "MSHFlexGrid1");
            QCOMPARE(grid->model()->rowCount(), 1);
            auto* typed = control<QLineEdit>(search, "Text1");
            // The box says it takes pinyin while a person's name is chosen.
            QCOMPARE(typed->toolTip(), text("可输入拼音或拼音首字母，如 zgq"));
            typed->setText(QStringLiteral("%"));
            QTest::keyClick(typed, Qt::Key_Return);
            QCOMPARE(grid->model()->rowCount(), 0);
            QCOMPARE(control<QLabel>(search, "Label1")->text(), QStringLiteral("共有记录：0 条"));
            control<QAbstractButton>(search, "Option2")->setChecked(true);
            QCOMPARE(typed->toolTip(), QString());
            typed->setText(QStringLiteral("0001"));
            QTest::keyClick(typed, Qt::Key_Return);
            QCOMPARE(control<QLabel>(search, "Label1")->text(), QStringLiteral("共有记录：1 条"));
        }
    }

    // 建墓施工 needs item 37 and 施工验收 item 38, each on its own.
    void theSheetsNeedTheirItemRights() {
        QString rights(40, QLatin1Char('f'));
        rights[36] = QLatin1Char('0');
        RunningOffice office(QStringLiteral("Admin"), rights);
        office.window.resize(1280, 900);
        soldPlots(office.data);
        office.pickOnMap(QStringLiteral("M_lz"), QStringLiteral("Frm_xzlz"), QStringLiteral("甲区"), plot);
        QWidget* hub = office.find(QStringLiteral("Frm_ck"));
        click(hub, "Command11");
        QCOMPARE(office.prompter.shown.size(), 1);
        QCOMPARE(office.prompter.shown.last().caption, QStringLiteral("提示"));
        QCOMPARE(office.prompter.lastText(), QStringLiteral("您没有此项功能权限！请联系系统管理员"));
        QVERIFY(!office.find(QStringLiteral("Frm_jmsg")));
        click(hub, "Command12");
        QVERIFY(office.find(QStringLiteral("Frm_jmsgys")));

        office.session.permissionString[36] = QLatin1Char('1');
        office.session.permissionString[37] = QLatin1Char('e'); // the lowest bit is the item's
        click(hub, "Command12");
        QCOMPARE(office.prompter.shown.size(), 2);
        click(hub, "Command11");
        QVERIFY(office.find(QStringLiteral("Frm_jmsg")));
        QCOMPARE(office.prompter.shown.size(), 2);
    }
};

QTEST_MAIN(ConstructionTest)
#include "tst_construction.moc"
