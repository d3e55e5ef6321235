#include "business/itemchargesservice.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

ItemChargeForm onlyFurtherCharge(const QString& amount) {
    ItemChargeForm form;
    form.plotKey = QStringLiteral(" 甲区1排0007号 ");
    form.contact = QStringLiteral(" 王'五 ");
    form.furtherName = QStringLiteral("其它费");
    form.furtherAmount = amount;
    return form;
}

} // namespace

class ItemChargesTest : public QObject {
    Q_OBJECT

private slots:
    // The refusals in order and an injected failure write nothing; a further charge alone is saved
    // with its row and receipt.
    void aChargeIsCheckedSavedAndPrinted() {
        TestData data;
        Session session;
        session.operatorName = QStringLiteral("Admin");
        const FixedClock clock{testNow()};
        ItemChargesService service({data.db(), session, clock});

        session.flags.addDenied = true;
        SaveOutcome outcome = service.save(ItemChargeForm());
        QCOMPARE(outcome.message->text, QStringLiteral("您没有添加记录的权限！"));
        QCOMPARE(outcome.message->caption, QStringLiteral("Admin"));
        session.flags.addDenied = false;
        ItemChargeForm form = onlyFurtherCharge(QStringLiteral("0"));
        form.furtherName = QStringLiteral("刻字费");
        QCOMPARE(service.save(form).message->text, QStringLiteral("合计不能为零！"));
        form = onlyFurtherCharge(QStringLiteral("5"));
        form.plotKey = QStringLiteral("  ");
        form.contact.clear();
        outcome = service.save(form);
        QCOMPARE(outcome.message->text, QStringLiteral("墓碑位置不能为空！"));
        QCOMPARE(outcome.message->caption, QStringLiteral("提示"));
        form = onlyFurtherCharge(QStringLiteral("5"));
        form.contact = QStringLiteral(" ");
        QCOMPARE(service.save(form).message->text, QStringLiteral("联系人不能为空！"));
        data.db().failNthWrite(1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, service.save(onlyFurtherCharge(QStringLiteral("9"))));
        data.db().failNthWrite(0);
        QCOMPARE(data.count(QStringLiteral("gm_qtf")), 0);

        // Every column gets its own amount; line totals, the fees and the total are kept to the cent, so
        // the total is the sum of what the row shows.
        form = onlyFurtherCharge(QStringLiteral("9.004"));
        const char* const goods[][2] = {{"50", "7"},  {"2.5", "4"},  {"0.7", "3"},
                                        {"300", "2"}, {"1.5", "30"}, {"12.5", "5"}};
        for (int item = 0; item < ItemChargeForm::itemCount; ++item) {
            form.unitPrices[item] = QString::fromLatin1(goods[item][0]);
            form.quantities[item] = QString::fromLatin1(goods[item][1]);
        }
        const QStringList amounts = texts({"0.104", "0.196", "11", "13", "17", "19", "23"});
        int next = 0;
        for (QString* service : {&form.construction, &form.luckyNumber, &form.jointBurial, &form.transport,
                                 &form.reburial, &form.vehicle, &form.specialRepair})
            *service = amounts.at(next++);
        outcome = service.save(form);
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->text, QStringLiteral("输入成功！"));
        // No registration number is stored as one blank.
        QCOMPARE(
            data.dump(QStringLiteral("gm_qtf")),
            QStringLiteral("1| |甲区1排0007号|王'五|50|7|350|2.5|4|10|0.7|3|2.1|300|2|600|1.5|30|45|12.5|5|"
                           "62.5|0.1|0.2|11|13|17|19|23|其它费|9|1161.9|Admin|2026-12-06 09:30:00"));
        QCOMPARE(outcome.prints.size(), 1);
        QCOMPARE(QString(*outcome.prints.first().listName + u'|' +
                         PrintBridge::commandTail(outcome.prints.first())),
                 QStringLiteral("gm_qtf|gm_qtf    $#select * from gm_qtf where rid=1"));
    }
};

QTEST_GUILESS_MAIN(ItemChargesTest)
#include "tst_itemcharges.moc"
