#include "business/duereminders.h"
#include "business/reservationmaintenanceservice.h"
#include "business/reservationservice.h"
#include "foundation/money.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Three reserved plots: 甲区 0001 (李四, reservation 1) and 0002 (reservation 3), and 乙区 0001
// (reservation 2) with the same names and number beside it.
struct Reservations {
    TestData data;
    Session session;
    FixedClock clock{testNow()};
    ScriptedPrompter prompter;

    Reservations() {
        session.operatorName = QStringLiteral("Admin");
        data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '0001', '已预订'), "
                           "('乙区', '1', '0001', '已预订'), ('甲区', '1', '0002', '已预订')"));
        data.sql(QStringLiteral(
            "INSERT INTO ydmd (编号, 墓碑位置, 联系人, 身份证号, 家庭住址, 联系电话, 工作单位, 预交金额, 成交金额, "
            "余额, 操作员, 操作时间, 提醒日期, 需要提醒) VALUES "
            "(12, '甲区1排0001号', '李四', '110101', '西街', '5550000', '纺织厂', 3000, 10000, 7000, '小张', "
            "'2026-12-01', '2026-12-31', 1), "
            "(12, '乙区1排0001号', '李四', '110101', '西街', '5550000', '纺织厂', 3000, 10000, 7000, '小张', "
            "'2026-12-01', '2026-12-31', 1), "
            "(NULL, '甲区1排0002号', '赵六', '', '', '', '', 0, 5000, 5000, '小张', '2026-12-01', '2026-12-31', 1)"));
    }
    ReservationMaintenanceService service() {
        return ReservationMaintenanceService({data.db(), session, clock});
    }
    QString dumpAll() {
        return data.dump(QStringLiteral("ydmd")) + u'#' + data.dump(QStringLiteral("yd_tm")) + u'#' +
               data.dump(QStringLiteral("mq_wz"));
    }
};

// The corrections the clerk typed, each with blanks that must not be stored.
MaintenanceForm corrected() {
    return {QStringLiteral("3450.5"),    QStringLiteral(" 王五 "),   QStringLiteral(" 东街 "),
            QStringLiteral(" 5551234 "), QStringLiteral(" 机械厂 "), QStringLiteral("-200"),
            QStringLiteral("6549.5")};
}

// The window as the clerk leaves it after typing a top-up: the amounts it shows, the contact as loaded.
MaintenanceForm topUpOf(const Reservation& loaded, const QString& topUp) {
    const TopUp shown = ReservationMaintenanceService::topUp(loaded, topUp);
    return {
        Money::format(shown.received), loaded.contact, loaded.address, loaded.phone, loaded.workUnit, topUp,
        Money::format(shown.balance)};
}

QString handedToPrint(const SaveOutcome& outcome) {
    return outcome.prints.size() == 1 ? QString(*outcome.prints.first().listName + u'|' +
                                                PrintBridge::commandTail(outcome.prints.first()))
                                      : QString();
}

} // namespace

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

    // Today's reminders are overdue, whatever their time of day, and so are all before; tomorrow's not.
    void overdueAreThoseDueUntilToday() {
        TestData data;
        data.sql(QStringLiteral(
            "INSERT INTO ydmd (墓碑位置, 提醒日期, 需要提醒) VALUES "
            "('甲区1排0001号', '2026-12-07', 1), ('甲区1排0002号', '2026-12-06 23:59:00', 0), "
            "('甲区1排0003号', '2026-11-09', 1), ('甲区1排0004号', NULL, 1), "
            "('甲区1排0005号', '2026-12-06', 1), ('甲区1排0006号', '2026-12-07 00:00:00', 1)"));
        const BoundQuery overdue = DueReminders::overdue(testNow().date());
        QSqlQuery rows = data.db().exec(overdue.sql, overdue.values, QStringLiteral("test"));
        QStringList keys;
        while (rows.next())
            keys << rows.value(QStringLiteral("墓碑位置")).toString().right(5);
        QCOMPARE(keys,
                 QStringList({QStringLiteral("0003号"), QStringLiteral("0005号"), QStringLiteral("0002号")}));
    }

    // 确定修改: the refusals in order, each on its own; every column written to the picked reservation
    // alone, a negative top-up recorded as none; and no change once the plot is no longer reserved.
    void aReservationIsChangedByItsId() {
        Reservations office;
        ReservationMaintenanceService service = office.service();
        const Reservation loaded = *service.load(1);
        QCOMPARE(loaded.number, QStringLiteral("12"));
        const QString before = office.dumpAll();
        const QString others = office.data.dump(QStringLiteral("ydmd")).section(u'\n', 1);
        MaintenanceForm form = corrected();

        office.session.flags.addDenied = true;
        SaveOutcome outcome = service.save(loaded, form);
        QCOMPARE(outcome.message->text, QStringLiteral("您没有添加记录的权限"));
        QCOMPARE(outcome.message->caption, QStringLiteral("Admin"));
        office.session.flags.addDenied = false;
        form.received = QStringLiteral("-1");
        outcome = service.save(loaded, form);
        QCOMPARE(outcome.message->text, QStringLiteral("预交金额不能为空！"));
        QCOMPARE(outcome.clear, QStringLiteral("Mask1"));
        form = corrected();
        form.contact = QStringLiteral("  ");
        outcome = service.save(loaded, form);
        QCOMPARE(outcome.message->text, QStringLiteral("联系人状况各项不能为空！"));
        office.data.db().failNthWrite(1);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, service.save(loaded, corrected()));
        office.data.db().failNthWrite(0);
        QCOMPARE(office.dumpAll(), before);

        outcome = service.save(loaded, corrected());
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->text, QStringLiteral("OK，修改成功！"));
        QCOMPARE(
            office.data.dump(QStringLiteral("ydmd")).section(u'\n', 0, 0),
            QStringLiteral("1|12|甲区1排0001号|王五|110101|东街|5551234|机械厂|3450.5|10000|0|6549.5|Admin|"
                           "2026-12-06 09:30:00|2026-12-31|1"));
        QCOMPARE(office.data.dump(QStringLiteral("ydmd")).section(u'\n', 1), others);
        QCOMPARE(handedToPrint(outcome), QStringLiteral("ydmd1|  ydmd1   $#select * from ydmd where id=1"));

        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已购' WHERE 墓区 = '甲区' AND 号 = '0001'"));
        const QString sold = office.dumpAll();
        outcome = service.save(loaded, corrected());
        QVERIFY(!outcome.saved);
        QCOMPARE(outcome.message->text,
                 QStringLiteral("墓位“甲区1排0001号”现在是“已购”，不是“已预订”，不能修改预订！"));
        QCOMPARE(office.dumpAll(), sold);
    }

    // Two desks topping up the same reservation from windows opened on the same amounts: both payments
    // land, rounded to cents each, and the reservation beside keeps its own.
    void topUpsFromTwoDesksBothLand() {
        Reservations office;
        Database otherDesk(office.data.db().target(), Database::Mode::Open);
        ReservationMaintenanceService colleague({otherDesk, office.session, office.clock});
        const Reservation seenHere = *office.service().load(1);
        const Reservation seenThere = *colleague.load(1);
        const QString beside = office.data.dump(QStringLiteral("ydmd")).section(u'\n', 1);

        QVERIFY(colleague.save(seenThere, topUpOf(seenThere, QStringLiteral("500.005"))).saved);
        const SaveOutcome outcome =
            office.service().save(seenHere, topUpOf(seenHere, QStringLiteral("500.005")));
        QVERIFY(outcome.saved);
        QCOMPARE(
            office.data.dump(QStringLiteral("ydmd")).section(u'\n', 0, 0),
            QStringLiteral("1|12|甲区1排0001号|李四|110101|西街|5550000|纺织厂|4000.02|10000|500.01|5999.98|"
                           "Admin|2026-12-06 09:30:00|2026-12-31|1"));
        QCOMPARE(office.data.dump(QStringLiteral("ydmd")).section(u'\n', 1), beside);
    }

    // The contact is written only where the clerk changed it: a colleague's change of another field stays;
    // a colleague's change of the same field, or of an amount the clerk typed over, refuses the whole save.
    void aContactEditNeverWritesOverAColleague() {
        Reservations office;
        ReservationMaintenanceService service = office.service();
        const Reservation loaded = *service.load(1);
        office.data.sql(QStringLiteral("UPDATE ydmd SET 联系电话 = '5559999' WHERE id = 1"));
        MaintenanceForm form = topUpOf(loaded, QStringLiteral("0"));
        form.address = QStringLiteral(" 东街 ");
        QVERIFY(service.save(loaded, form).saved);
        QCOMPARE(office.data.dump(QStringLiteral("ydmd")).section(u'\n', 0, 0),
                 QStringLiteral("1|12|甲区1排0001号|李四|110101|东街|5559999|纺织厂|3000|10000|0|7000|Admin|"
                                "2026-12-06 09:30:00|2026-12-31|1"));

        const QList<std::pair<QString, std::function<void(MaintenanceForm&)>>> clashes = {
            {QStringLiteral("联系电话 = '5558888'"),
             [](MaintenanceForm& f) { f.phone = QStringLiteral("5557777"); }},
            {QStringLiteral("预交金额 = 3100.5"),
             [](MaintenanceForm& f) { f.received = QStringLiteral("3200"); }},
            {QStringLiteral("余额 = 6900.5"), [](MaintenanceForm& f) { f.balance = QStringLiteral("6800"); }},
        };
        for (const auto& [colleague, typed] : clashes) {
            const Reservation again = *service.load(1);
            office.data.sql(QStringLiteral("UPDATE ydmd SET ") + colleague + QStringLiteral(" WHERE id = 1"));
            const QString before = office.dumpAll();
            form = topUpOf(again, QStringLiteral("100.125"));
            typed(form);
            const SaveOutcome outcome = service.save(again, form);
            QVERIFY(!outcome.saved);
            QCOMPARE(outcome.message->text, text("此记录已被其他操作员修改，请重新打开后再修改！"));
            QCOMPARE(office.dumpAll(), before);
        }
    }

    // 取消预订: the delete right, the question, the refund answers; an injected failure at each write
    // leaving everything as it was; one refund row, the reservation gone and the plot free, all at once;
    // a second click refused; a refund of 0 accepted.
    void aReservationIsCancelledWithOneRefund() {
        Reservations office;
        ReservationMaintenanceService service = office.service();
        const Reservation loaded = *service.load(1);
        const QString before = office.dumpAll();
        QSignalSpy heard(&office.data.db().changes(), &ChangeNotifier::changed);
        const auto cancel = [&](Prompter::Answer answer, std::optional<QString> refund) {
            office.prompter.shown.clear();
            office.prompter.answers.clear();
            office.prompter.answers.enqueue(answer);
            office.prompter.inputs.clear();
            office.prompter.inputs.enqueue(refund);
            return service.cancel(loaded, corrected(), office.prompter);
        };

        office.session.flags.deleteDenied = true;
        QCOMPARE(cancel(Prompter::Answer::Yes, QString()).message->text,
                 QStringLiteral("您没有删除记录的权限"));
        office.session.flags.deleteDenied = false;
        SaveOutcome outcome = cancel(Prompter::Answer::No, QStringLiteral("12.5"));
        QCOMPARE(office.prompter.texts(),
                 QStringList({QStringLiteral("您确信要取消预订墓碑位置： 甲区1排0001号 的记录么？")}));
        QVERIFY(!outcome.saved);
        // Cancel and a blank answer stop silently; no number, or a negative one, is refused.
        for (const std::optional<QString>& silent :
             {std::optional<QString>(), std::optional(QStringLiteral(" "))}) {
            outcome = cancel(Prompter::Answer::Yes, silent);
            QVERIFY(!outcome.saved && !outcome.message);
        }
        QCOMPARE(office.prompter.shown.last().caption, QStringLiteral("预订退费"));
        for (const QString& wrong : {QStringLiteral("abc"), QStringLiteral("-1")}) {
            outcome = cancel(Prompter::Answer::Yes, wrong);
            QCOMPARE(outcome.message->text, QStringLiteral("退费金额不能小于零或为空！"));
            QCOMPARE(outcome.message->caption, QStringLiteral("退费"));
        }
        for (int failing = 1; failing <= 3; ++failing) {
            office.data.db().failNthWrite(failing);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, cancel(Prompter::Answer::Yes, QStringLiteral("12.5")));
            QCOMPARE(office.dumpAll(), before);
        }
        office.data.db().failNthWrite(0);
        QCOMPARE(heard.size(), 0);

        outcome = cancel(Prompter::Answer::Yes, QStringLiteral("12.5"));
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->text, QStringLiteral("OK，输入成功！"));
        QCOMPARE(heard.size(), 2);
        QCOMPARE(office.data.dumpWithoutKey(QStringLiteral("yd_tm")),
                 QStringLiteral("12|甲区1排0001号|王五|东街|5551234|机械厂|12.5|Admin|2026-12-06 09:30:00"));
        QCOMPARE(office.data.db().texts(QStringLiteral("SELECT id FROM ydmd ORDER BY id"), {}, {}),
                 QStringList({QStringLiteral("2"), QStringLiteral("3")}));
        QCOMPARE(office.data.db()
                     .texts(QStringLiteral("SELECT 墓区 || 号 || 状态 FROM mq_wz ORDER BY rid"), {}, {})
                     .join(u','),
                 QStringLiteral("甲区0001未使用,乙区0001已预订,甲区0002已预订"));
        QCOMPARE(handedToPrint(outcome),
                 QStringLiteral("gm_ydtm|gm_ydtm   $#select * from yd_tm where rid=%1")
                     .arg(office.data.value(QStringLiteral("SELECT rid FROM yd_tm")).toString()));

        const QString after = office.dumpAll();
        outcome = cancel(Prompter::Answer::Yes, QStringLiteral("12.5"));
        QVERIFY(!outcome.saved);
        QCOMPARE(outcome.message->text,
                 QStringLiteral("墓位“甲区1排0001号”的这条预订已经不在了，不能取消预订！"));
        QCOMPARE(office.dumpAll(), after);

        // A reservation without a number refunds nothing and records no number.
        office.prompter.answers.enqueue(Prompter::Answer::Yes);
        office.prompter.inputs.enqueue(QStringLiteral("0"));
        QVERIFY(service.cancel(*service.load(3), corrected(), office.prompter).saved);
        QCOMPARE(office.data.dumpWithoutKey(QStringLiteral("yd_tm")).section(u'\n', 1),
                 QStringLiteral("|甲区1排0002号|王五|东街|5551234|机械厂|0|Admin|2026-12-06 09:30:00"));
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
        QCOMPARE(data.dumpWithoutKey(QStringLiteral("ydmd")),
                 QStringLiteral("12|甲区1排0001号|李四|110101|西街|5550000|纺织厂|3000|10000||7000|Admin|"
                                "2026-12-06|2027-01-05|1"));
        QCOMPARE(data.db().texts(QStringLiteral("SELECT 状态 FROM mq_wz ORDER BY rid"), {}, {}).join(u','),
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
