#include "itemchargesservice.h"
#include "itemchargeswindow.h"
#include "runningoffice.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

struct Counter {
    TestData data;
    Session session;
    FixedClock clock{testNow()};

    Counter() {
        session.operatorName = QStringLiteral("Admin");
        session.reportList = QStringLiteral(",gm_qtf,");
    }
    ItemChargesService service() { return {data.db(), session, clock}; }
};

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
    void lineAndGrandTotals() {
        QCOMPARE(ItemChargesService::lineTotal(QStringLiteral("20"), QStringLiteral("3")), 60.0);
        QCOMPARE(ItemChargesService::lineTotal(QStringLiteral("20"), QString()), 0.0);
        QCOMPARE(ItemChargesService::lineTotal(QStringLiteral("0.1"), QStringLiteral("3")), 0.3);
        ItemChargeForm form = onlyFurtherCharge(QStringLiteral("100"));
        form.unitPrices[5] = QStringLiteral("12.5");
        form.quantities[5] = QStringLiteral("2");
        for (QString* service : {&form.construction, &form.luckyNumber, &form.jointBurial, &form.transport,
                                 &form.reburial, &form.vehicle, &form.specialRepair})
            *service = QStringLiteral("1");
        QCOMPARE(ItemChargesService::grandTotal(form), 100 + 25 + 7.0);
    }

    void aFurtherChargeAloneIsSavedWithItsRowAndReceipt() {
        Counter counter;
        const auto outcome = counter.service().save(onlyFurtherCharge(QStringLiteral("100")));
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message.text, QStringLiteral("输入成功！"));
        QSqlQuery row = counter.data.db().exec(
            QStringLiteral(
                "SELECT 墓碑位置, 联系人, QT, QTF, 合计, 操作人, 操作日期, 编号, 合计1, 数量6 FROM gm_qtf"),
            {}, QStringLiteral("test"));
        QVERIFY(row.next());
        QCOMPARE(row.value(0).toString(), QStringLiteral("甲区1排0007号"));
        QCOMPARE(row.value(1).toString(), QStringLiteral("王'五"));
        QCOMPARE(row.value(2).toString(), QStringLiteral("其它费"));
        QCOMPARE(row.value(3).toDouble(), 100.0);
        QCOMPARE(row.value(4).toDouble(), 100.0);
        QCOMPARE(row.value(5).toString(), QStringLiteral("Admin"));
        QCOMPARE(row.value(6).toString(), QStringLiteral("2026-12-06 09:30:00"));
        QCOMPARE(row.value(7).toString(), QStringLiteral(" ")); // no registration number: one blank
        QCOMPARE(row.value(8).toDouble(), 0.0);
        QCOMPARE(row.value(9).toDouble(), 0.0);

        QVERIFY(outcome.receipt);
        QCOMPARE(PrintBridge::commandTail(*outcome.receipt),
                 QStringLiteral("gm_qtf    $#select * from gm_qtf where rowid=1"));
        QCOMPARE(*outcome.receipt->listName, QStringLiteral("gm_qtf"));
    }

    void refusalsComeInOrderAndWriteNothing() {
        Counter counter;
        counter.session.flags.addDenied = true;
        ItemChargeForm empty;
        auto outcome = counter.service().save(empty);
        QCOMPARE(outcome.message.text, QStringLiteral("您没有添加记录的权限！"));
        QCOMPARE(outcome.message.caption, QStringLiteral("Admin"));

        counter.session.flags.addDenied = false;
        ItemChargeForm described = onlyFurtherCharge(QStringLiteral("0"));
        described.furtherName = QStringLiteral("刻字费");
        QCOMPARE(counter.service().save(described).message.text, QStringLiteral("合计不能为零！"));

        ItemChargeForm noPlace = onlyFurtherCharge(QStringLiteral("5"));
        noPlace.plotKey = QStringLiteral("  ");
        noPlace.contact.clear();
        outcome = counter.service().save(noPlace);
        QCOMPARE(outcome.message.text, QStringLiteral("墓碑位置不能为空！"));
        QCOMPARE(outcome.message.caption, QStringLiteral("提示"));

        ItemChargeForm noContact = onlyFurtherCharge(QStringLiteral("5"));
        noContact.contact = QStringLiteral(" ");
        QCOMPARE(counter.service().save(noContact).message.text, QStringLiteral("联系人不能为空！"));
        QCOMPARE(counter.data.count(QStringLiteral("gm_qtf")), 0);
    }

    void aFailedWriteLeavesNoRow() {
        Counter counter;
        counter.data.db().failNthWrite(1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 counter.service().save(onlyFurtherCharge(QStringLiteral("9"))));
        QCOMPARE(counter.data.count(QStringLiteral("gm_qtf")), 0);
    }

    void theWindowTotalsAsYouTypeSavesPrintsAndCloses() {
        RunningOffice office;
        office.session.reportList = QStringLiteral(",gm_qtf,");
        auto* window = qobject_cast<ItemChargesWindow*>(
            office.run(QStringLiteral("M_mqyp"), QStringLiteral("Frm_mq_qtf")));
        QVERIFY(window);
        auto field = [window](const char* name) { return control<QLineEdit>(window, name); };
        QCOMPARE(field("MaskQT")->text(), QStringLiteral("其它费"));
        QVERIFY(field("Mask1")->text().isEmpty());

        window->fill(QStringLiteral("甲区1排0007号"), QStringLiteral("王五"), QStringLiteral("88"));
        QTest::keyClicks(field("Maskq1"), QStringLiteral("20"));
        QTest::keyClicks(field("Masks1"), QStringLiteral("3"));
        QCOMPARE(field("Mask1")->text(), QStringLiteral("60"));
        QTest::keyClicks(field("Mask_cf"), QStringLiteral("15.5"));
        QCOMPARE(field("Text1")->text(), QStringLiteral("75.5"));
        field("Masks1")->clear();
        QCOMPARE(field("Mask1")->text(), QStringLiteral("0"));
        QCOMPARE(field("Text1")->text(), QStringLiteral("15.5"));

        QTest::mouseClick(control<QPushButton>(window, "Command1"), Qt::LeftButton);
        QCOMPARE(office.prompter.texts(), QStringList({QStringLiteral("输入成功！")}));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 编号 || '/' || 车费 || '/' || 合计 FROM gm_qtf"))
                     .toString(),
                 QStringLiteral("88/15.5/15.5"));
        QCOMPARE(office.launcher.tails(),
                 QStringList({QStringLiteral("gm_qtf    $#select * from gm_qtf where rowid=1")}));
        QTRY_VERIFY(!office.find(QStringLiteral("Frm_mq_qtf")));
    }
};

QTEST_MAIN(ItemChargesTest)
#include "tst_itemcharges.moc"
