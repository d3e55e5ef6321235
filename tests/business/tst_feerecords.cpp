#include "business/feerecordsservice.h"
#include "business/purchaseservice.h"
#include "business/ui/feerecordswindow.h"
#include "support/runningoffice.h"

#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

// Plot 0001 is free; 0002 is reserved by 李四 (3000 prepaid, 7000 to pay), 0003 by 赵六 (500 and 9500).
void plotsAndReservations(TestData& data) {
    data.sql(
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES ('甲区', '1', '0001', '双人墓', "
                       "'未使用'), ('甲区', '1', '0002', '双人墓', '已预订'), ('甲区', '1', '0003', "
                       "'双人墓', '已预订')"));
    data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人, 预交金额, 成交金额, 余额) VALUES "
                            "('甲区1排0002号', '李四', 3000, 10000, 7000), "
                            "('甲区1排0003号', '赵六', 500, 10000, 9500)"));
}

PurchaseForm sale(const QString& key, qint64 settledReservation = 0) {
    PurchaseForm form;
    form.mode = settledReservation ? PurchaseForm::Mode::Settle : PurchaseForm::Mode::Buy;
    form.reservationId = settledReservation;
    form.plotKey = key;
    form.contact = QStringLiteral("王五");
    form.boughtOn = form.useFrom = QDate(2026, 12, 6);
    form.useUntil = QDate(2046, 12, 6);
    form.fees.land = QStringLiteral("10000");
    form.remark = QStringLiteral("无");
    return form;
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

} // namespace

class FeeRecordsTest : public QObject {
    Q_OBJECT

private slots:
    // The purchase receipt shows what this plot's own sale took over from its reservation, whatever
    // reservation was touched since; a renewal row prints its own receipt; other rows print nothing.
    void aReprintPrintsTheRowsOwnReceipt() {
        TestData data;
        Session session;
        session.operatorName = QStringLiteral("Admin");
        FixedClock clock{testNow()};
        plotsAndReservations(data);
        PurchaseService purchases({data.db(), session, clock});
        QVERIFY(purchases.save(sale(QStringLiteral("甲区1排0001号"))).saved);
        const SaveOutcome settled = purchases.save(sale(QStringLiteral("甲区1排0002号"), 1));
        QVERIFY(settled.saved);
        // Another reservation is picked, paid into and cancelled afterwards.
        session.chosenReservation = {2, QStringLiteral("甲区1排0003号")};
        data.sql(QStringLiteral("UPDATE ydmd SET 预交金额 = 800, 余额 = 9200 WHERE id = 2"));
        data.sql(QStringLiteral("DELETE FROM ydmd WHERE id = 2"));
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 合计, 操作方式, 操作日期) VALUES "
                                "('甲区1排0002号', 600, '加续费', '2026-12-06 09:30:00'), "
                                "('甲区1排0002号', 80, '落葬', '2026-12-06 09:30:00')"));

        FeeRecordsService service(data.db(), session);
        QCOMPARE(handedToPrint(service.reprint(1, false).prints),
                 texts({"gm|gm$#select * from gm_xf1 where  id=1"}));
        QCOMPARE(handedToPrint(service.reprint(2, true).prints),
                 texts({"gm|gm1$#select * from gm_xf1 where  id=2"}));
        // The reprint shows what the sale's own receipt showed.
        QCOMPARE(handedToPrint(settled.prints).last(),
                 text("gm|gm        $#select * from gm_xf1 where id=2"));
        // The sale keeps the settled reservation's amounts, which a later change of the history cannot
        // take from its receipt.
        const auto amounts = [&] {
            QSqlQuery rows = data.db().exec(
                QStringLiteral("SELECT 预交金额, 余额 FROM gm_xf1 WHERE 操作方式 = '购墓' ORDER BY id"), {},
                QString());
            QStringList read;
            const auto shown = [](const QVariant& value) {
                return value.isNull() ? QStringLiteral("-") : QString::number(value.toDouble());
            };
            while (rows.next())
                read << shown(rows.value(0)) + QLatin1Char('/') + shown(rows.value(1));
            return read;
        };
        const QStringList kept = amounts();
        QVERIFY2(kept.at(0).startsWith(QStringLiteral("0/0")) &&
                     kept.at(1).startsWith(QStringLiteral("3000")),
                 qPrintable(kept.join(QLatin1Char(','))));
        // Sales made before the fee row kept them take them from the history at the upgrade; one the
        // history does not reach back to stays without.
        data.db().transaction([&] {
            data.db().inBulk({{QStringLiteral("gm_xf1"), text("批量添加"), text("旧数据"), 1, {}}}, [&] {
                data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 合计, 操作方式, 操作日期) VALUES "
                                        "('甲区1排0004号', 900, '购墓', '2001-01-01 09:00:00')"));
            });
            data.sql(QStringLiteral("UPDATE gm_xf1 SET 预交金额 = NULL, 余额 = NULL"));
            // Version 11: fee rows did not keep the amounts yet.
            data.sql(data.db().isServer() ? QStringLiteral("UPDATE pelu_schema_version SET version = 11")
                                          : QStringLiteral("PRAGMA user_version = 11"));
        });
        Database(data.db().target(), Database::Mode::Open);
        const QStringList upgraded = amounts();
        QCOMPARE(upgraded, texts({"0/0", "3000/7000", "-/-"}));
        QCOMPARE(handedToPrint(service.reprint(3, false).prints),
                 texts({"gm_jxf|gm_jxf$#select * from gm_xf1 where  id=3"}));
        const SaveOutcome other = service.reprint(4, false);
        QVERIFY(other.prints.isEmpty() && !other.message);

        QCOMPARE(service.reprint(99, false).message->text, QStringLiteral("这条收费记录已经不在了。"));
        session.flags.printDenied = true;
        const SaveOutcome denied = service.reprint(3, false);
        QCOMPARE(denied.message->text, QStringLiteral("您没有打印的权限！"));
        QCOMPARE(denied.message->caption, QStringLiteral("提示"));
        QVERIFY(denied.prints.isEmpty());
    }

    // Only the operator named "Admin" deletes, whatever the permission string; the row goes by its id,
    // not with its twin of the same second, and the change history keeps it.
    void onlyAdminDeletesAFeeRowByItsId() {
        TestData data;
        Session session;
        session.permissionString = QString(40, u'f');
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 合计, 操作方式, 操作日期) VALUES "
                                "('甲区1排0001号', 100, '购墓', '2026-12-06 09:30:00'), "
                                "('甲区1排0001号', 200, '加续费', '2026-12-06 09:30:00')"));
        const QString before = data.dump(QStringLiteral("gm_xf1"));
        ScriptedPrompter prompter;
        FeeRecordsService service(data.db(), session);
        for (const QString& name : {QStringLiteral("admin"), QStringLiteral("张三")}) {
            session.operatorName = name;
            const SaveOutcome refused = service.remove(2, prompter);
            QCOMPARE(refused.message->text, QStringLiteral("您没有此权限！"));
            QCOMPARE(refused.message->caption, QStringLiteral("提示"));
        }
        QVERIFY(prompter.shown.isEmpty());

        session.operatorName = QStringLiteral("Admin");
        prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes << Prompter::Answer::Yes;
        QVERIFY(!service.remove(2, prompter).saved);
        QCOMPARE(data.dump(QStringLiteral("gm_xf1")), before);
        QVERIFY(service.remove(2, prompter).saved);
        QCOMPARE(prompter.shown.first().caption, QStringLiteral("删除收费记录"));
        QCOMPARE(prompter.texts(), texts({"您真的要删除id： 2 的记录吗？", "您真的要删除id： 2 的记录吗？"}));
        QCOMPARE(data.dump(QStringLiteral("gm_xf1")), before.section(u'\n', 0, 0));
        const QJsonObject deleted =
            QJsonDocument::fromJson(
                data.value(QStringLiteral("SELECT 之前 FROM change_history WHERE 表 = 'gm_xf1' "
                                          "AND 行 = 2 AND 操作 = '删除'"))
                    .toString()
                    .toUtf8())
                .object();
        QCOMPARE(deleted.value(QStringLiteral("合计")).toDouble(), 200.0);

        QCOMPARE(service.remove(2, prompter).message->text, QStringLiteral("这条收费记录已经不在了。"));
    }

    // The window lists the chosen plot's rows only, follows the current row and reloads after a delete.
    void theWindowFollowsTheCurrentRow() {
        RunningOffice office;
        office.session.reportList = QStringLiteral(",gm,gm_jxf,");
        office.data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 合计, 操作方式, 操作日期) VALUES "
                                       "('甲区1排0001号', 100, '购墓', '2026-12-06 09:30:00'), "
                                       "('乙区1排0001号', 300, '购墓', '2026-12-06 09:30:00'), "
                                       "('甲区1排0001号', 200, '加续费', '2026-12-06 09:30:00')"));
        office.session.chosenPurchase.key = QStringLiteral("甲区1排0001号");
        FeeRecordsWindow* window = office.window.host().open<FeeRecordsWindow>();
        window->takeChosenPurchase();
        auto* grid = control<QTableView>(window, "Grid1");
        auto* label = control<QLabel>(window, "Label1");
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(label->text(), QStringLiteral("当前记录id: 1  ----  操作方式： 购墓"));
        grid->selectRow(1);
        QCOMPARE(label->text(), QStringLiteral("当前记录id: 3  ----  操作方式： 加续费"));

        control<QCheckBox>(window, "Check1")->setChecked(true);
        click(window, "Command1");
        QCOMPARE(office.launcher.tails(), texts({"gm_jxf$#select * from gm_xf1 where  id=3"}));

        office.prompter.answers << Prompter::Answer::Yes;
        click(window, "Command2");
        QCOMPARE(office.data.count(QStringLiteral("gm_xf1")), 2);
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(label->text(), QStringLiteral("当前记录id: 1  ----  操作方式： 购墓"));
        office.prompter.answers << Prompter::Answer::Yes;
        click(window, "Command2");
        QCOMPARE(label->text(), QString());
    }
};

QTEST_MAIN(FeeRecordsTest)
#include "tst_feerecords.moc"
