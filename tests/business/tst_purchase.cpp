#include "business/purchaseservice.h"
#include "shared/numberedplace.h"
#include "support/testsupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

namespace {

// Plot 0001 is free; plot 0002 is reserved by 李四, who prepaid 3000 of 10000.
struct Office {
    TestData data;
    Session session;
    FixedClock clock{testNow()};

    Office() {
        session.operatorName = QStringLiteral("Admin");
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES ('甲区', '1', '0001', "
                                "'双人墓', '未使用'), ('甲区', '1', '0002', '双人墓', '已预订')"));
        data.sql(QStringLiteral("INSERT INTO ydmd (编号, 墓碑位置, 联系人, 预交金额, 成交金额, 余额) "
                                "VALUES (12, '甲区1排0002号', '李四', 3000, 10000, 7000)"));
    }
    PurchaseService service() { return PurchaseService({data.db(), session, clock}); }
    QString dumpAll() {
        return data.dump(QStringLiteral("gm_dj")) + u'#' + data.dump(QStringLiteral("mq_wz")) + u'#' +
               data.dump(QStringLiteral("gm_xf1")) + u'#' + data.dump(QStringLiteral("ydmd"));
    }
};

// The example sale: rate 10, fees 1000, 200, 30, 20, 300, greening 50, a further charge of 40, each fee
// its own amount and the purchase a day before the use begins. The blanks around the texts must not be
// stored, except in the fee row's phone.
PurchaseForm exampleSale(const QString& key = QStringLiteral("甲区1排0001号"),
                         PurchaseForm::Mode mode = PurchaseForm::Mode::Buy) {
    PurchaseForm form;
    form.mode = mode;
    form.plotKey = QString(u' ' + key + u' ');
    form.number = QStringLiteral("88.9");
    form.contact = QStringLiteral(" 王'五 ");
    form.workUnit = QStringLiteral(" 机械厂 ");
    form.address = QStringLiteral(" 东街3号 ");
    form.phone = QStringLiteral(" 5551234 ");
    form.boughtOn = QDate(2026, 12, 5);
    form.useFrom = QDate(2026, 12, 6);
    form.useUntil = QDate(2046, 12, 6);
    form.stoneType = QStringLiteral("立碑");
    form.mainStone = QStringLiteral("未定");
    form.baseStone = QStringLiteral("青石");
    form.salesman = QStringLiteral("小刘");
    form.advanceBought = true;
    form.fees = {QStringLiteral("1000"), QStringLiteral("200"),   QStringLiteral("30"), QStringLiteral("20"),
                 QStringLiteral("50"),   QStringLiteral("300元"), QStringLiteral("10"), QStringLiteral("40")};
    form.management = QStringLiteral("150");
    form.extraName = QStringLiteral(" 花圈 ");
    form.remark = QStringLiteral(" 无 ");
    return form;
}

} // namespace

class PurchaseTest : public QObject {
    Q_OBJECT

private slots:
    // The office's example (150, 1500, 1740), a typed-over management fee, the whole registration number
    // and the use period are checked through the purchase window.
    void theManagementFeeIsRoundedToCents() {
        const auto rated = [](const char* land, const char* rate) {
            PurchaseFeeTexts fees;
            fees.land = QString::fromLatin1(land);
            fees.ratePercent = QString::fromLatin1(rate);
            return PurchaseService::computeFees(fees).management;
        };
        QCOMPARE(rated("333.33", "3"), 10.0);
        QCOMPARE(rated("1234.5", "1.5"), 18.52);
        QCOMPARE(Numbered::wholeNumber(QStringLiteral("编号")), 0);
    }

    // Settling a reserved plot: the refusals in order, an injected failure at each write leaving
    // nothing written, then the rows in the save's order, the reservation taken over and its receipt.
    void settlingAReservedPlotWritesItsRowsInOrder() {
        Office office;
        const QString before = office.dumpAll();
        // The change history shows the order of the save's writes and what became of the plot.
        const qint64 historyBefore =
            office.data.value(QStringLiteral("SELECT MAX(id) FROM change_history")).toLongLong();
        QSignalSpy heard(&office.data.db().changes(), &ChangeNotifier::changed);
        PurchaseForm form = exampleSale(QStringLiteral("甲区1排0002号"), PurchaseForm::Mode::Settle);
        form.reservationId = 1;
        form.contact = QStringLiteral("  ");
        form.useUntil = form.useFrom;
        form.remark = QStringLiteral(" ");

        office.session.flags.addDenied = true;
        SaveOutcome outcome = office.service().save(form);
        QCOMPARE(outcome.message->text, QStringLiteral("您没有添加记录的权限！"));
        QCOMPARE(outcome.message->caption, QStringLiteral("Admin"));
        office.session.flags.addDenied = false;
        outcome = office.service().save(form);
        QCOMPARE(outcome.message->text, QStringLiteral("联系人不能为空!"));
        QCOMPARE(outcome.focus, QStringLiteral("Mask1"));
        form.contact = QStringLiteral(" 王'五 ");
        outcome = office.service().save(form);
        QCOMPARE(outcome.message->text, QStringLiteral("使用日期起止时间错误！"));
        QCOMPARE(outcome.message->icon, Prompter::Icon::Critical);
        form.useUntil = QDate(2046, 12, 6);
        // A blank remark becomes "无" and the click ends there.
        outcome = office.service().save(form);
        QCOMPARE(outcome.fill,
                 (QList<std::pair<QString, QString>>{{QStringLiteral("Mask11"), QStringLiteral("无")}}));
        QVERIFY(!outcome.message);
        QVERIFY(!outcome.saved);
        QCOMPARE(office.dumpAll(), before);

        form.remark = QStringLiteral("无");
        for (int failing = 1; failing <= 4; ++failing) {
            office.data.db().failNthWrite(failing);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, office.service().save(form));
            QCOMPARE(office.dumpAll(), before);
        }
        office.data.db().failNthWrite(0);
        QCOMPARE(heard.size(), 0);

        outcome = office.service().save(form);
        QVERIFY(outcome.saved);
        QCOMPARE(QList<QVariantList>(heard),
                 QList<QVariantList>(
                     {{QVariant::fromValue(ChangeNotifier::Subject::Plots), QStringLiteral("甲区")},
                      {QVariant::fromValue(ChangeNotifier::Subject::Reservations), QString()}}));
        QCOMPARE(outcome.message->caption, QStringLiteral("恭喜"));
        QSqlQuery history = office.data.db().exec(
            QStringLiteral("SELECT 表, 之后 FROM change_history WHERE id > ? ORDER BY id"), {historyBefore},
            {});
        QStringList writes;
        while (history.next()) {
            writes << history.value(0).toString();
            const QJsonObject plot = QJsonDocument::fromJson(history.value(1).toString().toUtf8()).object();
            if (writes.last() == QStringLiteral("mq_wz"))
                writes.last() += u' ' + plot.value(QStringLiteral("号")).toString() +
                                 plot.value(QStringLiteral("状态")).toString() +
                                 plot.value(QStringLiteral("寿穴")).toVariant().toString();
        }
        QCOMPARE(writes.join(u','), QStringLiteral("gm_dj,mq_wz 0002已购1,gm_xf1,ydmd"));
        // An empty identity number is stored as one blank, an empty mobile as "无"; nobody is buried yet.
        QCOMPARE(office.data.dumpWithoutKey(QStringLiteral("gm_dj")),
                 QStringLiteral("88|甲区1排0002号|2026-12-05|2026-12-06|2046-12-06|王'五| |机械厂|东街3号|"
                                "5551234|无|Admin|小刘|立碑|未定|青石||||||||||"));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj"), QStringLiteral("故者姓名 IS NULL")), 1);
        QCOMPARE(office.data.dumpWithoutKey(QStringLiteral("gm_xf1")),
                 QStringLiteral("88|甲区1排0002号|2026-12-05|2026-12-06|2046-12-06|王'五| 5551234 ||"
                                "机械厂|||1000|200|30|20|150|50|300|花圈：|40|1550|1790|无|购墓|Admin|"
                                "2026-12-06 09:30:00|3000|7000"));
        QCOMPARE(office.data.count(QStringLiteral("ydmd")), 0);

        // The receipt carries the reservation's prepaid amount and balance and runs as it is written.
        QCOMPARE(
            handedToPrint(outcome.prints),
            QStringList({QStringLiteral("lxr|lxr       $#select * from gm_dj where 墓碑位置='甲区1排0002号'"),
                         QStringLiteral("gm|gm        $#select * from gm_xf1 where id=%1")
                             .arg(office.data.value(QStringLiteral("SELECT id FROM gm_xf1")).toString())}));
    }

    // A sale from the map: the second receipt form, no reservation taken over, and the re-check inside
    // the save refusing a plot that is no longer free.
    void aPlotIsNeverSoldTwice() {
        Office office;
        PurchaseForm form = exampleSale();
        form.secondReceiptForm = true;
        form.advanceBought = false;
        QSignalSpy heard(&office.data.db().changes(), &ChangeNotifier::changed);
        QCOMPARE(handedToPrint(office.service().save(form).prints).value(1),
                 QStringLiteral("gm|gm1       $#select * from gm_xf1 where id=1"));
        QCOMPARE(office.data.count(QStringLiteral("ydmd")), 1);
        QCOMPARE(office.data.count(QStringLiteral("mq_wz"), QStringLiteral("状态 = '已购' AND 寿穴 = 0")), 1);
        // No reservation ended, so only the plots hear of it.
        QCOMPARE(heard.size(), 1);
        QCOMPARE(heard.takeFirst().value(0).value<ChangeNotifier::Subject>(), ChangeNotifier::Subject::Plots);
        const QString after = office.dumpAll();

        SaveOutcome second = office.service().save(exampleSale());
        QVERIFY(!second.saved);
        QCOMPARE(second.message->text,
                 QStringLiteral("墓位“甲区1排0001号”现在是“已购”，不是“未使用”，不能购墓！"));
        QVERIFY(second.prints.isEmpty());
        // A reserved plot is not bought from the map, settling needs the plot's own reservation still
        // there, no plot no sale.
        PurchaseForm otherReservation =
            exampleSale(QStringLiteral("甲区1排0002号"), PurchaseForm::Mode::Settle);
        otherReservation.reservationId = 2;
        for (const PurchaseForm& refused :
             {exampleSale(QStringLiteral("甲区1排0002号")), otherReservation,
              exampleSale(QStringLiteral("甲区1排0001号"), PurchaseForm::Mode::Settle),
              exampleSale(QStringLiteral("甲区1排0009号"))})
            QVERIFY(!office.service().save(refused).saved);
        QCOMPARE(office.dumpAll(), after);
        QCOMPARE(heard.size(), 0);
    }

    void newStoneTypesAreLearnedOnce() {
        Office office;
        office.data.addOperator(QStringLiteral("小刘"), QStringLiteral("x"), QStringLiteral("业务员"), {});
        office.data.addOperator(QStringLiteral("小张"), QStringLiteral("x"), QStringLiteral("操作员"), {});
        PurchaseService service = office.service();
        QVERIFY(service.learn(PurchaseService::StoneList::MainStone, QStringLiteral(" 花岗岩 ")));
        QVERIFY(!service.learn(PurchaseService::StoneList::MainStone, QStringLiteral("花岗岩")));
        QVERIFY(!service.learn(PurchaseService::StoneList::Type, QStringLiteral("  ")));
        QVERIFY(!service.learn(PurchaseService::StoneList::Type, QStringLiteral("未定")));
        QVERIFY(service.learn(PurchaseService::StoneList::BaseStone, QStringLiteral("花岗岩")));
        QCOMPARE(office.data.db()
                     .texts(QStringLiteral("SELECT COALESCE(mblx, '-') || COALESCE(zblx, '-') || "
                                           "COALESCE(dblx, '-') FROM mblx ORDER BY rid"),
                            {}, {})
                     .join(u','),
                 QStringLiteral("-花岗岩-,--花岗岩"));

        const PurchaseService::ReferenceLists lists = service.referenceLists();
        QCOMPARE(lists.stoneTypes, QStringList({QStringLiteral("未定")}));
        QCOMPARE(lists.mainStones, QStringList({QStringLiteral("未定"), QStringLiteral("花岗岩")}));
        QCOMPARE(lists.baseStones, QStringList({QStringLiteral("未定"), QStringLiteral("花岗岩")}));
        QCOMPARE(lists.salesmen, QStringList({QStringLiteral("小刘")}));
    }
};

QTEST_GUILESS_MAIN(PurchaseTest)
#include "tst_purchase.moc"
