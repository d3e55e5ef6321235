#include "business/lampfeeservice.h"
#include "business/lampqueries.h"
#include "shared/lamptally.h"
#include "support/runningoffice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlRecord>
#include <QTableView>

namespace {

// The rows of `query`, a line per row with its cells between bars.
QStringList rowsOf(Database& database, const BoundQuery& query) {
    QSqlQuery rows = database.exec(query.sql, query.values, QStringLiteral("test"));
    QStringList lines;
    while (rows.next()) {
        QStringList cells;
        for (int cell = 0; cell < rows.record().count(); ++cell)
            cells << rows.value(cell).toString();
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

LampFeeForm payment() {
    return {QStringLiteral(" 李四 "), QStringLiteral(" 甲 "), QStringLiteral(" 111 "),   QDate(2020, 3, 4),
            QStringLiteral(" 2026 "), QStringLiteral("2028"), QStringLiteral("120.5元"), QDate(2026, 12, 5)};
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

class LampFeesTest : public QObject {
    Q_OBJECT

private slots:
    // The proposal comes from the first burial, then from the last payment; each refusal on its own;
    // years are four plain digits; every column is written and the receipt names its own row.
    void aPaymentIsProposedCheckedSavedAndPrinted() {
        TestData data;
        Session session;
        session.operatorName = QStringLiteral("收费员");
        const FixedClock clock{testNow()};
        LampFeeService service({data.db(), session, clock});
        const QString key = QStringLiteral("甲区1排0001号");
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES ('甲区', '1', '0001', '双人墓', "
            "'已购'), ('乙区', '1', '0001', '双人墓', '已购')"));
        data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 联系电话, 故者姓名, 落葬日期) VALUES "
                                "('乙区1排0001号', '丙', '333', '赵六', '2019-01-01'), "
                                "('甲区1排0001号', '甲', '111', '李四', '2020-03-04'), "
                                "('甲区1排0001号', '乙', '222', '王五', '2021-05-06')"));
        LampFeeForm proposed = service.proposal(key);
        QCOMPARE(QStringList({proposed.deceased, proposed.contact, proposed.telephone,
                              proposed.buried.toString(Qt::ISODate), proposed.fromYear, proposed.toYear,
                              proposed.paidOn.toString(Qt::ISODate)}),
                 texts({"李四", "甲", "111", "2020-03-04", "2026", "2026", "2026-12-06"}));

        const auto refusal = [&](const LampFeeForm& form) -> QString {
            const SaveOutcome outcome = service.save(key, form);
            return outcome.message->caption + u'|' + outcome.message->text + u'|' + outcome.focus;
        };
        LampFeeForm form = payment();
        form.deceased = QStringLiteral("  ");
        QCOMPARE(refusal(form), text("提示|    故者姓名为空！请检查    |gz_edit"));
        form = payment();
        form.contact.clear();
        QCOMPARE(refusal(form), text("提示|    联系人为空！请检查    |lxr_edit"));
        form = payment();
        form.telephone = QStringLiteral(" ");
        QCOMPARE(refusal(form), text("提示|    联系电话为空！请检查    |tel_edit"));
        form = payment();
        form.amount = QStringLiteral(" ");
        QCOMPARE(refusal(form), text("提示|    收费金额为空！请检查    |sfje_edit"));
        const QString period = text("提示|      点灯期限错误！请检查      |");
        for (const char* wrong : {"207", "20e7", "２０２６", "", "20266"}) {
            form = payment();
            form.fromYear = text(wrong);
            QVERIFY2(refusal(form) == period + QStringLiteral("bdate_edit"), wrong);
            form = payment();
            form.toYear = text(wrong);
            QVERIFY2(refusal(form) == period + QStringLiteral("edate_edit"), wrong);
        }
        form = payment();
        form.toYear = QStringLiteral("2025");
        QCOMPARE(refusal(form), period + QStringLiteral("edate_edit"));
        data.db().failNthWrite(1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, service.save(key, payment()));
        data.db().failNthWrite(0);
        QCOMPARE(data.count(QStringLiteral("cjdd")), 0);
        // A plot given back since the window opened has no lamp to light.
        data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '未使用' WHERE 墓区 = '甲区'"));
        QCOMPARE(refusal(payment()),
                 text("提示|墓位“甲区1排0001号”现在是“未使用”，不是“已购”，不能点灯缴费！|"));
        QCOMPARE(data.count(QStringLiteral("cjdd")), 0);
        data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已购' WHERE 墓区 = '甲区'"));

        // Two payments alike in plot, day and years: each receipt prints its own.
        QStringList receipts;
        for (int twice = 0; twice < 2; ++twice) {
            const SaveOutcome outcome = service.save(key, payment());
            QVERIFY(outcome.saved && !outcome.message);
            const PrintJob& receipt = outcome.prints.value(0);
            QVERIFY(receipt.ignoresPrintFlag);
            receipts << *receipt.listName + u'|' + PrintBridge::commandTail(receipt);
        }
        QCOMPARE(receipts, texts({"gm_cjddsf|gm_cjddsf $#select * from cjdd where rid=1",
                                  "gm_cjddsf|gm_cjddsf $#select * from cjdd where rid=2"}));
        // The same year at both ends; an amount is kept to the cent.
        form = {QStringLiteral("李四"), QStringLiteral("丙"),   QStringLiteral("999"),    QDate(2020, 3, 5),
                QStringLiteral("2029"), QStringLiteral("2029"), QStringLiteral("80.006"), QDate(2026, 12, 6)};
        QVERIFY(service.save(key, form).saved);
        QCOMPARE(data.dump(QStringLiteral("cjdd")),
                 text("1|甲区1排0001号|李四|甲|111|2020-03-04|120.5|2026-12-05|2026|2028|1|收费员\n"
                      "2|甲区1排0001号|李四|甲|111|2020-03-04|120.5|2026-12-05|2026|2028|1|收费员\n"
                      "3|甲区1排0001号|李四|丙|999|2020-03-05|80.01|2026-12-06|2029|2029|1|收费员"));

        proposed = service.proposal(key);
        QCOMPARE(QStringList({proposed.contact, proposed.telephone, proposed.buried.toString(Qt::ISODate),
                              proposed.fromYear, proposed.toYear}),
                 texts({"丙", "999", "2020-03-05", "2029", "2029"}));
        proposed = service.proposal(QStringLiteral("丙区1排0001号"));
        QCOMPARE(proposed.deceased + proposed.contact + u'|' + proposed.fromYear, text("|2026"));
    }

    // One row per plot with somebody buried and no payment whose years cover the year: paid plots,
    // plots without burials and payments of other plots stay out, and old payments never repeat a plot.
    void theUnpaidListNamesEachUncoveredPlotOnce() {
        TestData data;
        data.sql(QStringLiteral(
            "INSERT INTO gm_dj (墓碑位置, 联系人, 联系电话, 故者姓名, 落葬日期) VALUES "
            "('甲区1排0001号', '甲', '111', '李四', '2020-01-01'), ('甲区1排0001号', '乙', '222', '王五', '2021-01-01'), "
            "('甲区1排0002号', '丙', '333', '赵六', '2019-02-02'), ('甲区1排0002号', '丁', '444', '钱七', '2019-03-03'), "
            "('甲区1排0003号', '戊', '555', '孙八', '2018-04-04'), "
            "('甲区1排0004号', '己', '666', '周九', '2017-05-05'), "
            "('甲区1排0005号', '庚', '777', NULL, NULL)"));
        data.sql(QStringLiteral("INSERT INTO cjdd (墓碑位置, 起始年份, 终止年份) VALUES "
                                "('甲区1排0001号', '2025', '2027'), ('乙区1排0002号', '2027', '2027'), "
                                "('甲区1排0003号', '2020', '2024'), ('甲区1排0003号', '2028', '2029'), "
                                "('甲区1排0004号', '2025', '2026'), ('甲区1排0004号', '2027', '2030'), "
                                "('甲区1排0005号', '2001', '2002')"));
        QCOMPARE(rowsOf(data.db(), LampQueries::unpaid(2027)),
                 texts({"甲区1排0002号|丙|333|赵六|2019-02-02", "甲区1排0003号|戊|555|孙八|2018-04-04"}));
        QCOMPARE(rowsOf(data.db(), LampQueries::unpaid(2024)),
                 texts({"甲区1排0001号|甲|111|李四|2020-01-01", "甲区1排0002号|丙|333|赵六|2019-02-02",
                        "甲区1排0004号|己|666|周九|2017-05-05"}));
    }

    // The count of unpaid plots comes from a tally the burials and payments keep: after every kind of
    // change it counts what the list lists, in every year, and a tally built afresh holds the same.
    // Several rows of one plot change in one statement, as an import or a return writes them.
    void theUnpaidCountFollowsEveryChangeOfBurialsAndPayments() {
        TestData data;
        const auto agrees = [&](const char* step) {
            for (int year = 2023; year <= 2029; ++year)
                if (LampQueries::unpaidCount(data.db(), year) !=
                    rowsOf(data.db(), LampQueries::unpaid(year)).size())
                    QFAIL(qPrintable(QStringLiteral("%1: %2").arg(QString::fromUtf8(step)).arg(year)));
        };
        const struct {
            const char* step;
            const char* sql;
        } steps[] = {
            {"two burials of a plot at once",
             "INSERT INTO gm_dj (墓碑位置, 故者姓名) VALUES ('甲区1排0001号', '李四'), ('甲区1排0001号', '王五'), "
             "('甲区1排0002号', '赵六'), ('甲区1排0003号', NULL)"},
            {"overlapping payments at once",
             "INSERT INTO cjdd (墓碑位置, 起始年份, 终止年份) VALUES ('甲区1排0001号', '2025', '2027'), "
             "('甲区1排0001号', '2026', '2028'), ('甲区1排0003号', '2026', '2026'), "
             "('甲区1排0002号', '2027', '2027'), ('甲区1排0009号', '2023', '2029'), ('甲区1排0002号', NULL, '2029')"},
            {"a payment overlapped by another goes",
             "DELETE FROM cjdd WHERE 墓碑位置 = '甲区1排0001号' AND 起始年份 = '2025'"},
            {"a payment's years change",
             "UPDATE cjdd SET 起始年份 = '2024', 终止年份 = '2025' WHERE 终止年份 = '2027'"},
            {"a payment's span shifts by a year",
             "UPDATE cjdd SET 起始年份 = '2025', 终止年份 = '2026' WHERE 起始年份 = '2024'"},
            {"a payment moves to a buried plot",
             "UPDATE cjdd SET 墓碑位置 = '甲区1排0002号' WHERE 墓碑位置 = '甲区1排0003号'"},
            {"a plot's first burial is written in",
             "UPDATE gm_dj SET 故者姓名 = '孙八' WHERE 墓碑位置 = '甲区1排0003号'"},
            {"both burials of a plot are taken out at once",
             "UPDATE gm_dj SET 故者姓名 = NULL WHERE 墓碑位置 = '甲区1排0001号'"},
            {"a burial moves to another plot",
             "UPDATE gm_dj SET 墓碑位置 = '甲区1排0009号' WHERE 故者姓名 = '赵六'"},
            {"a payment with years a spreadsheet spoiled",
             "INSERT INTO cjdd (墓碑位置, 起始年份, 终止年份) VALUES ('甲区1排0003号', '', '2025')"},
            {"a plot's register goes", "DELETE FROM gm_dj WHERE 墓碑位置 = '甲区1排0009号'"},
        };
        for (const auto& change : steps) {
            data.sql(QString::fromUtf8(change.sql));
            agrees(change.step);
        }
        const auto counted = [&] {
            return data.db().texts(
                QStringLiteral(
                    "SELECT 年份 || ' ' || CAST(墓位数 AS TEXT) FROM lamp_tally WHERE 墓位数 <> 0 AND "
                    "(年份 = '' OR 年份 >= '2022') ORDER BY 年份"),
                {}, QStringLiteral("test"));
        };
        const QStringList kept = counted();
        QCOMPARE(kept, texts({" 1", "2022 1", "2023 1", "2024 1", "2025 1"}));
        LampTally::build(data.db());
        QCOMPARE(counted(), kept);
    }

    // The conditions in order, each refused on its own; an area or row is matched exactly, not as the
    // beginning of a key; a year's summary holds exactly the payments dated in it.
    void paymentsAreFoundByExactConditionsAndSummedByYear() {
        TestData data;
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号) VALUES ('1', '1', '0001'), ('1', '2', '0001'), "
                           "('10', '1', '0001'), ('10', '1', '0002')"));
        data.sql(QStringLiteral(
            "INSERT INTO cjdd (墓碑位置, 故者姓名, 联系人, 联系电话, 落葬日期, 交款金额, 交款日期) VALUES "
            "('11排0001号', '李四', '甲', '111', '2020-01-01', 10.1, '2024-12-31'), "
            "('12排0001号', '李四', '乙', '222', '2020-01-02', 20.2, '2025-01-01'), "
            "('101排0001号', '王五', '甲', '111', '2020-01-03', 30.3, '2025-12-31'), "
            "('101排0002号', '李四', '甲', '333', '2020-01-04', 40.4, '2026-01-01')"));
        const auto found = [&](const LampConditions& conditions) {
            const LampListing listing = LampQueries::payments(conditions);
            if (!listing.query)
                return QStringList{listing.refusal.value().text};
            QStringList keys;
            QSqlQuery rows = data.db().exec(listing.query->sql, listing.query->values, QString());
            while (rows.next())
                keys << rows.value(QStringLiteral("墓碑位置")).toString();
            return keys;
        };
        LampConditions conditions;
        QCOMPARE(found(conditions).size(), 4);
        conditions.byPlace = true;
        conditions.row = QStringLiteral("1");
        QCOMPARE(found(conditions), texts({"     墓碑位置查询条件错误！    "}));
        conditions.area = QStringLiteral("1");
        conditions.row.clear();
        QCOMPARE(found(conditions), texts({"11排0001号", "12排0001号"}));
        conditions.row = QStringLiteral("1");
        QCOMPARE(found(conditions), texts({"11排0001号"}));
        // The same row and number in area 10 stay out.
        conditions.number = QStringLiteral("0001");
        QCOMPARE(found(conditions), texts({"11排0001号"}));
        conditions.number.clear();
        conditions.area = QStringLiteral("10");
        QCOMPARE(found(conditions), texts({"101排0001号", "101排0002号"}));
        conditions.number = QStringLiteral("0002");
        QCOMPARE(found(conditions), texts({"101排0002号"}));

        conditions = {};
        conditions.byDeceased = true;
        conditions.deceased = QStringLiteral(" 李四 ");
        conditions.byContact = true;
        conditions.contact = QStringLiteral("甲");
        QCOMPARE(found(conditions), texts({"11排0001号", "101排0002号"}));
        conditions.byTelephone = true;
        conditions.telephone = QStringLiteral("333");
        conditions.byBurial = true;
        conditions.buriedFrom = QDate(2020, 1, 2);
        conditions.buriedTo = QDate(2020, 1, 4);
        QCOMPARE(found(conditions), texts({"101排0002号"}));
        conditions.buriedFrom = QDate(2020, 1, 5);
        QCOMPARE(found(conditions), texts({"      落葬日期查询条件错误！     "}));
        conditions.telephone = QStringLiteral(" ");
        QCOMPARE(found(conditions), texts({"      联系电话查询条件错误！     "}));
        conditions.contact.clear();
        QCOMPARE(found(conditions), texts({"      联系人查询条件错误！     "}));
        conditions.deceased.clear();
        QCOMPARE(found(conditions), texts({"     故者姓名查询条件错误！    "}));

        const QDate today = testNow().date();
        QCOMPARE(LampQueries::year(QStringLiteral(" "), today).value_or(0), 2026);
        QCOMPARE(LampQueries::year(QStringLiteral(" 2025 "), today).value_or(0), 2025);
        for (const char* wrong : {"207", "20e7", "２０２５", "20255"})
            QVERIFY2(!LampQueries::year(text(wrong), today), wrong);
        const QStringList summary = rowsOf(data.db(), LampQueries::yearSummary(2025));
        QCOMPARE(summary.size(), 2);
        QCOMPARE(summary.first().section(QLatin1Char('|'), 0, 0), QStringLiteral("101排0001号"));
        QCOMPARE(LampQueries::totalLabel(LampQueries::yearTotal(data.db(), 2025)), text("合计：50.5元"));
        QCOMPARE(LampQueries::totalLabel(LampQueries::yearTotal(data.db(), 2027)), text("合计：0元"));
        const PrintJob sheet = LampQueries::summaryPrint(2025);
        QVERIFY(sheet.ignoresPrintFlag);
        QCOMPARE(
            *sheet.listName + u'|' + PrintBridge::commandTail(sheet),
            text("gm_cjddhz|gm_cjddhz $#select 墓碑位置,故者姓名,落葬日期,联系人,联系电话,交款金额,起始年份,"
                 "终止年份,交款日期,操作人 from cjdd where substr(交款日期, 1, 4) = '2025' and 交款日期 >= "
                 "'2025-01-01' and 交款日期 < '2026-01-01' order by 墓碑位置@2025年份春节点灯收费汇总表"));
    }

    // The burial management opens the payment for its plot; a plot picked later leaves the open payment
    // as it was, and the payment is taken for the plot it was opened with.
    void thePaymentWindowKeepsThePlotItWasOpenedFor() {
        RunningOffice office;
        office.session.reportList = QStringLiteral(",gm_cjddsf,");
        office.data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                           "('甲区', '1', '0001', '双人墓', '已购'), ('乙区', '1', '0001', '双人墓', "
                           "'已购')"));
        office.data.sql(
            QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 联系电话, 故者姓名, 落葬日期) VALUES "
                           "('甲区1排0001号', '甲', '111', '李四', '2020-03-04'), "
                           "('乙区1排0001号', '乙', '222', '王五', '2021-05-06')"));
        QWidget* hub = pickSoldPlot(office, QStringLiteral("甲区"), QStringLiteral("甲区1排0001号"));
        click(hub, "Command10");
        QWidget* lamps = office.find(QStringLiteral("cjdd_frm"));
        QVERIFY(lamps);
        QCOMPARE(lamps->windowTitle(), text("甲区1排0001号春节点灯缴费管理"));
        pickSoldPlot(office, QStringLiteral("乙区"), QStringLiteral("乙区1排0001号"));
        QCOMPARE(control<QLineEdit>(lamps, "gz_edit")->text(), QStringLiteral("李四"));
        control<QLineEdit>(lamps, "edate_edit")->setText(QStringLiteral("207"));
        control<QLineEdit>(lamps, "sfje_edit")->setText(QStringLiteral("100"));
        click(lamps, "ok_btn");
        QCOMPARE(office.prompter.lastText(), text("      点灯期限错误！请检查      "));
        control<QLineEdit>(lamps, "edate_edit")->setText(QStringLiteral("2027"));
        click(lamps, "ok_btn");
        QCOMPARE(
            office.data.value(QStringLiteral("SELECT 墓碑位置 || 故者姓名 || 终止年份 FROM cjdd")).toString(),
            text("甲区1排0001号李四2027"));
        QCOMPARE(office.launcher.tails(), texts({"gm_cjddsf $#select * from cjdd where rid=1"}));
        QTRY_VERIFY(!office.find(QStringLiteral("cjdd_frm")));
    }

    // The query window: the pickers list exact rows and sold numbers, the year options take this year,
    // and each mode fills the grid and its label.
    void theQueryWindowListsEachMode() {
        RunningOffice office;
        office.session.reportList = QStringLiteral(",gm_cjddhz,");
        office.data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号) VALUES ('1', '1', '0001'), ('1', '1', '0002'), "
                           "('1', '2', '0001'), ('10', '3', '0001')"));
        office.data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 联系人, 故者姓名) VALUES "
                                       "('11排0001号', '甲', '李四'), ('101排0001号', '乙', '王五'), "
                                       "('103排0001号', '丙', '赵六')"));
        office.data.sql(
            QStringLiteral("INSERT INTO cjdd (墓碑位置, 交款金额, 交款日期, 起始年份, 终止年份) VALUES "
                           "('11排0001号', 50, '2026-02-01', '2026', '2026'), "
                           "('103排0001号', 25.5, '2026-03-01', '2025', '2025')"));
        QWidget* query = office.run(QStringLiteral("cjddfind"), QStringLiteral("cjddfind_frm"));
        QVERIFY(query);
        for (const char* name : {"gz_edit", "lxr_edit"})
            QCOMPARE(control<QLineEdit>(query, name)->toolTip(),
                     text("可输入全名的拼音或拼音首字母，如 zgq"));
        auto* areas = control<QComboBox>(query, "qu_cbox");
        auto* rows = control<QComboBox>(query, "pai_cbox");
        auto* numbers = control<QComboBox>(query, "hao_cbox");
        areas->setCurrentIndex(areas->findText(QStringLiteral("1")));
        QCOMPARE(rows->count(), 3);
        rows->setCurrentIndex(rows->findText(QStringLiteral("1")));
        QCOMPARE(numbers->count(), 2); // the empty choice and the sold 0001
        numbers->setCurrentIndex(1);
        control<QCheckBox>(query, "mxwz_check")->setChecked(true);
        click(query, "Command1");
        auto* label = control<QLabel>(query, "Label1");
        QCOMPARE(label->text(), text("查到符合条件记录1条"));

        auto* year = control<QLineEdit>(query, "year_edit");
        control<QRadioButton>(query, "wjf_op")->setChecked(true);
        QVERIFY(year->isEnabled());
        QCOMPARE(year->text(), QStringLiteral("2026"));
        click(query, "Command1");
        QCOMPARE(label->text(), text("查到2026年份未交款记录2条"));
        QCOMPARE(control<QTableView>(query, "Grid2")->model()->rowCount(), 2);
        control<QRadioButton>(query, "hz_op")->setChecked(true);
        click(query, "Command1");
        QCOMPARE(label->text(), text("合计：75.5元"));
        year->setText(QStringLiteral("20e7"));
        click(query, "Command2");
        QCOMPARE(office.prompter.lastText(), text("汇总年份条件错误！请检查"));
        QVERIFY(office.launcher.tails().isEmpty());
        year->clear();
        click(query, "Command2");
        QVERIFY(office.launcher.tails().value(0).endsWith(text("@2026年份春节点灯收费汇总表")));
        control<QRadioButton>(query, "pt_op")->setChecked(true);
        QVERIFY(!year->isEnabled());
    }
};

QTEST_MAIN(LampFeesTest)
#include "tst_lampfees.moc"
