#include "reservationservice.h"
#include "testsupport.h"

#include <QTest>

namespace {

struct Office {
    TestData data;
    Session session;

    Office() {
        session.operatorName = QStringLiteral("Admin");
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES ('甲区', '1', '0001', "
                                "'单人墓', '未使用')"));
    }
    ReservationService service() { return {data.db(), session}; }
    QString dumpAll() {
        return data.dump(QStringLiteral("ydmd")) + u'#' + data.dump(QStringLiteral("mq_wz"));
    }
};

ReservationForm aReservation() {
    ReservationForm form;
    form.plotKey = QStringLiteral("甲区1排0001号 ");
    form.prepaid = QStringLiteral("3000");
    form.contact = QStringLiteral(" 李四 ");
    form.address = QStringLiteral(" 西街 ");
    form.phone = QStringLiteral(" 5550000 ");
    form.workUnit = QStringLiteral(" 纺织厂 ");
    form.agreedPrice = QStringLiteral("10000");
    form.balance = QStringLiteral("7000");
    form.idNumber = QStringLiteral(" 110101 ");
    form.number = QStringLiteral("12");
    form.reservedOn = QDate(2026, 12, 6);
    form.remindOn = ReservationService::reminderFor(form.reservedOn);
    return form;
}

} // namespace

class ReservationTest : public QObject {
    Q_OBJECT

private slots:
    void theBalanceFollowsOnlyAPositiveAgreedPrice() {
        QCOMPARE(ReservationService::balanceFor(QStringLiteral("10000"), QStringLiteral("3000")), 7000.0);
        QCOMPARE(ReservationService::balanceFor(QStringLiteral("10000"), QString()), 10000.0);
        QVERIFY(!ReservationService::balanceFor(QStringLiteral("0"), QStringLiteral("3000")));
        QVERIFY(!ReservationService::balanceFor(QString(), QStringLiteral("3000")));
        QCOMPARE(ReservationService::reminderFor(QDate(2026, 12, 6)), QDate(2027, 1, 5));
    }

    void refusalsComeInOrderAndWriteNothing() {
        Office office;
        const QString before = office.dumpAll();
        ReservationForm form = aReservation();
        form.prepaid = QStringLiteral("三千");
        form.agreedPrice = QStringLiteral("0");

        office.session.flags.addDenied = true;
        ReservationService::Outcome outcome = office.service().reserve(form);
        QCOMPARE(outcome.message.text, QStringLiteral("您没有添加记录的权限"));
        QCOMPARE(outcome.message.caption, QStringLiteral("Admin"));
        office.session.flags.addDenied = false;

        for (const QString& prepaid : {QString(), QStringLiteral("三千")}) {
            form.prepaid = prepaid;
            outcome = office.service().reserve(form);
            QCOMPARE(outcome.message.text, QStringLiteral("请输入正确的预交金额！"));
            QCOMPARE(outcome.message.icon, Prompter::Icon::Exclamation);
            QCOMPARE(outcome.clear, ReservationService::Field::Prepaid);
            QCOMPARE(outcome.focus, ReservationService::Field::Prepaid);
        }
        form.prepaid = QStringLiteral("-1");
        outcome = office.service().reserve(form);
        QCOMPARE(outcome.message.text, QStringLiteral("预交金额不能为空！"));
        QCOMPARE(outcome.clear, ReservationService::Field::Prepaid);

        // A prepaid amount of 0 passes; an agreed price of 0 does not.
        form.prepaid = QStringLiteral("0");
        outcome = office.service().reserve(form);
        QCOMPARE(outcome.message.text, QStringLiteral("成交金额不能为空！"));
        QCOMPARE(outcome.clear, ReservationService::Field::AgreedPrice);
        QCOMPARE(office.dumpAll(), before);
    }

    void aReservationWritesItsRowMarksThePlotAndPrints() {
        Office office;
        const ReservationService::Outcome outcome = office.service().reserve(aReservation());
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message.text, QStringLiteral("OK，输入成功！"));
        QCOMPARE(outcome.message.caption, QStringLiteral("恭喜"));
        QSqlQuery row = office.data.db().exec(
            QStringLiteral(
                "SELECT 墓碑位置, 联系人, 身份证号, 家庭住址, 联系电话, 工作单位, 预交金额, 成交金额, "
                "编号, 余额, 操作员, 操作时间, 提醒日期, 需要提醒, 补交金额 FROM ydmd"),
            {}, QStringLiteral("test"));
        QVERIFY(row.next());
        QStringList values;
        for (int column = 0; column < 15; ++column)
            values << row.value(column).toString();
        QCOMPARE(values.join(u'|'),
                 QStringLiteral("甲区1排0001号|李四|110101|西街|5550000|纺织厂|3000|10000|12|7000|"
                                "Admin|2026-12-06|2027-01-05|1|"));
        QCOMPARE(office.data.value(QStringLiteral("SELECT 状态 FROM mq_wz")).toString(),
                 QStringLiteral("已预订"));
        // The template goes out with its nine characters, not widened to ten.
        QVERIFY(outcome.print);
        QCOMPARE(outcome.print->templateName.size(), 9);
        QCOMPARE(PrintBridge::commandTail(*outcome.print),
                 QStringLiteral("  ydmd   $#select * from ydmd where 墓碑位置='甲区1排0001号'"));
        QCOMPARE(*outcome.print->listName, QStringLiteral("ydmd"));

        // The plot is no longer free: a second reservation is refused and writes nothing.
        const QString after = office.dumpAll();
        const ReservationService::Outcome second = office.service().reserve(aReservation());
        QVERIFY(!second.saved);
        QCOMPARE(second.message.text,
                 QStringLiteral("墓位“甲区1排0001号”现在是“已预订”，不是“未使用”，不能预订！"));
        QVERIFY(!second.print);
        QCOMPARE(office.dumpAll(), after);
    }

    void aFailedWriteLeavesEverythingAsItWas() {
        for (int failing = 1; failing <= 2; ++failing) {
            Office office;
            const QString before = office.dumpAll();
            office.data.db().failNthWrite(failing);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, office.service().reserve(aReservation()));
            office.data.db().failNthWrite(0);
            QCOMPARE(office.dumpAll(), before);
        }
    }
};

QTEST_GUILESS_MAIN(ReservationTest)
#include "tst_reservation.moc"
