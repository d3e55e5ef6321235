#include "business/duereminders.h"
#include "business/reservationservice.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

class ReservationTest : public QObject {
    Q_OBJECT

private slots:
    // Due today means: reminder date today, a reminder wanted; a moment today counts too.
    void remindersAreThoseDueTodayThatWantOne() {
        TestData data;
        const QDate today = testNow().date();
        QCOMPARE(DueReminders::count(data.db(), today), 0);
        data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 提醒日期, 需要提醒) VALUES "
                                "('甲区1排0001号', '2026-12-06', 0), ('甲区1排0002号', '2026-12-05', 1), "
                                "('甲区1排0004号', '2026-12-07', 1)"));
        QCOMPARE(DueReminders::count(data.db(), today), 0);
        data.sql(QStringLiteral(
            "INSERT INTO ydmd (墓碑位置, 提醒日期, 需要提醒) VALUES "
            "('甲区1排0003号', '2026-12-06', 1), ('甲区1排0005号', '2026-12-06 08:00:00', 1)"));
        QCOMPARE(DueReminders::count(data.db(), today), 2);
    }

    // While the agreed price is not above zero the balance stays as it is; the window checks the rest.
    void theBalanceFollowsOnlyAPositiveAgreedPrice() {
        QCOMPARE(ReservationService::balanceFor(QStringLiteral("10000"), QString()), 10000.0);
        // Compared as text: QCOMPARE of doubles would forgive the missing rounding.
        QCOMPARE(
            QString::number(*ReservationService::balanceFor(QStringLiteral("0.3"), QStringLiteral("0.1")),
                            'g', QLocale::FloatingPointShortest),
            QStringLiteral("0.2"));
        QVERIFY(!ReservationService::balanceFor(QStringLiteral("0"), QStringLiteral("3000")));
        QVERIFY(!ReservationService::balanceFor(QString(), QStringLiteral("3000")));
    }

    // The refusals in order, an injected failure at each write leaving nothing written, the saved row,
    // the plot marked and the print, and the re-check refusing to reserve the plot a second time.
    void aPlotIsReservedOnce() {
        TestData data;
        Session session;
        session.operatorName = QStringLiteral("Admin");
        // Free plots of the same row and of the same number beside it stay free.
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '0001', '未使用'), "
                           "('甲区', '1', '0002', '未使用'), ('乙区', '1', '0001', '未使用')"));
        ReservationService service(data.db(), session);
        const auto dumpAll = [&data] {
            return QString(data.dump(QStringLiteral("ydmd")) + u'#' + data.dump(QStringLiteral("mq_wz")));
        };
        const QString before = dumpAll();
        QSignalSpy heard(&data.db().changes(), &ChangeNotifier::changed);
        // The texts carry blanks that must not be stored.
        const ReservationForm reservation{.plotKey = QStringLiteral("甲区1排0001号 "),
                                          .prepaid = QStringLiteral("3000"),
                                          .contact = QStringLiteral(" 李四 "),
                                          .address = QStringLiteral(" 西街 "),
                                          .phone = QStringLiteral(" 5550000 "),
                                          .workUnit = QStringLiteral(" 纺织厂 "),
                                          .agreedPrice = QStringLiteral("10000"),
                                          .balance = QStringLiteral("7000"),
                                          .idNumber = QStringLiteral(" 110101 "),
                                          .number = QStringLiteral("12"),
                                          .reservedOn = QDate(2026, 12, 6),
                                          .remindOn = QDate(2027, 1, 5)};
        ReservationForm form = reservation;
        form.agreedPrice = QStringLiteral("0");

        session.flags.addDenied = true;
        SaveOutcome outcome = service.reserve(form);
        QCOMPARE(outcome.message->text, QStringLiteral("您没有添加记录的权限"));
        QCOMPARE(outcome.message->caption, QStringLiteral("Admin"));
        session.flags.addDenied = false;
        for (const QString& prepaid : {QString(), QStringLiteral("三千")}) {
            form.prepaid = prepaid;
            outcome = service.reserve(form);
            QCOMPARE(outcome.message->text, QStringLiteral("请输入正确的预交金额！"));
            QCOMPARE(outcome.message->icon, Prompter::Icon::Exclamation);
            QCOMPARE(outcome.clear, QStringLiteral("Mask1"));
            QCOMPARE(outcome.focus, QStringLiteral("Mask1"));
        }
        form.prepaid = QStringLiteral("-1");
        outcome = service.reserve(form);
        QCOMPARE(outcome.message->text, QStringLiteral("预交金额不能为空！"));
        QCOMPARE(outcome.clear, QStringLiteral("Mask1"));
        // A prepaid amount of 0 passes; an agreed price of 0 does not.
        form.prepaid = QStringLiteral("0");
        outcome = service.reserve(form);
        QCOMPARE(outcome.message->text, QStringLiteral("成交金额不能为空！"));
        QCOMPARE(outcome.clear, QStringLiteral("Mask6"));
        QCOMPARE(dumpAll(), before);

        for (int failing = 1; failing <= 2; ++failing) {
            data.db().failNthWrite(failing);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, service.reserve(reservation));
            QCOMPARE(dumpAll(), before);
        }
        data.db().failNthWrite(0);
        QCOMPARE(heard.size(), 0);

        outcome = service.reserve(reservation);
        QVERIFY(outcome.saved);
        QCOMPARE(QList<QVariantList>(heard),
                 QList<QVariantList>(
                     {{QVariant::fromValue(ChangeNotifier::Subject::Plots), QStringLiteral("甲区")},
                      {QVariant::fromValue(ChangeNotifier::Subject::Reservations), QString()}}));
        heard.clear();
        QCOMPARE(outcome.message->caption, QStringLiteral("恭喜"));
        QCOMPARE(data.dump(QStringLiteral("ydmd")),
                 QStringLiteral("1|12|甲区1排0001号|李四|110101|西街|5550000|纺织厂|3000|10000||7000|Admin|"
                                "2026-12-06|2027-01-05|1"));
        QCOMPARE(data.value(QStringLiteral("SELECT group_concat(状态) FROM mq_wz")).toString(),
                 QStringLiteral("已预订,未使用,未使用"));
        // The template goes out with its nine characters, not widened to ten.
        QCOMPARE(outcome.prints.size(), 1);
        QCOMPARE(QString(*outcome.prints.first().listName + u'|' +
                         PrintBridge::commandTail(outcome.prints.first())),
                 QStringLiteral("ydmd|  ydmd   $#select * from ydmd where 墓碑位置='甲区1排0001号'"));

        const QString after = dumpAll();
        outcome = service.reserve(reservation);
        QVERIFY(!outcome.saved);
        QCOMPARE(outcome.message->text,
                 QStringLiteral("墓位“甲区1排0001号”现在是“已预订”，不是“未使用”，不能预订！"));
        QVERIFY(outcome.prints.isEmpty());
        QCOMPARE(dumpAll(), after);
        QCOMPARE(heard.size(), 0);
    }
};

QTEST_GUILESS_MAIN(ReservationTest)
#include "tst_reservation.moc"
