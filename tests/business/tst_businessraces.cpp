#include "business/burialrecordsservice.h"
#include "business/burialservice.h"
#include "business/feerecordsservice.h"
#include "business/gravereturnservice.h"
#include "business/purchaseservice.h"
#include "business/renewalservice.h"
#include "business/reservationmaintenanceservice.h"
#include "business/reservationservice.h"
#include "foundation/money.h"
#include "graves/plotsetupservice.h"
#include "support/setupfixture.h"
#include "support/twodesks.h"

#include <QSqlQuery>
#include <QTest>

namespace {

const char* const plot = "甲区1排0001号";
const char* const neighbour = "乙区1排0001号"; // same row and number in another area: must stay as it was

// The plot and its neighbour, both in `state`, with distinct list prices.
void addPlots(TestData& data, const char* state) {
    data.sql(
        QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 墓碑费, 工料费, 家族费, 其它, 状态) "
                       "VALUES ('甲区', '1', '0001', '双人墓', 9000, 2000, 300, 200, 100, ?), "
                       "('乙区', '1', '0001', '双人墓', 8000, 1900, 290, 190, 90, ?)"),
        {text(state), text(state)});
}

// Both plots sold: two register rows (the first with a burial), a purchase fee row and a name slot each.
void sellPlots(TestData& data) {
    addPlots(data, "已购");
    for (const char* key : {plot, neighbour}) {
        registerSoldPlot(data, text(key));
        data.sql(
            QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 墓地费, 墓碑费, 家庭墓费, 工料费, 其它费, 绿化费, "
                           "管理费, 合计, 操作方式) VALUES (?, 9000, 2000, 300, 200, 100, 50, 115.125, "
                           "11765.125, '购墓')"),
            {text(key)});
    }
}

// The reservation of the plot, and one of the neighbour.
qint64 reservePlots(TestData& data) {
    addPlots(data, "已预订");
    for (const char* key : {neighbour, plot})
        data.sql(QStringLiteral("INSERT INTO ydmd (编号, 墓碑位置, 联系人, 预交金额, 成交金额, 余额) VALUES "
                                "(66, ?, '李四', 3000.125, 10000, 6999.875)"),
                 {text(key)});
    return data.value(QStringLiteral("SELECT id FROM ydmd WHERE 墓碑位置 = ?"), {text(plot)}).toLongLong();
}

QString stateOf(TestData& data, const char* key) {
    return data.value(QStringLiteral("SELECT 状态 FROM mq_wz WHERE 墓碑位置 = ?"), {text(key)}).toString();
}

int rowsOf(TestData& data, const char* table, const char* key,
           const QString& column = QStringLiteral("墓碑位置")) {
    return data.count(QString::fromLatin1(table), column + QStringLiteral(" = ?"), {text(key)});
}

double feesOf(TestData& data, const char* key) {
    return data
        .value(QStringLiteral("SELECT COALESCE(SUM(合计), 0) FROM gm_xf1 WHERE 墓碑位置 = ?"), {text(key)})
        .toDouble();
}

// What the neighbour holds, to prove that no action strayed to it.
QString neighbourRows(TestData& data) {
    QString all;
    for (const char* table : {"gm_dj", "gm_xf1", "gm_xr", "ydmd", "mq_wz"})
        all +=
            data.value(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE 墓碑位置 = ?").arg(QLatin1String(table)),
                       {text(neighbour)})
                .toString() +
            u'/';
    return all + stateOf(data, neighbour);
}

// The plot went back whole: one refund, the plot free, none of its register, fee or name rows left, and
// its neighbour as it was.
void checkGivenBack(TestData& data) {
    QCOMPARE(data.count(QStringLiteral("mq_tm")), 1);
    QCOMPARE(stateOf(data, plot), text("未使用"));
    for (const char* table : {"gm_dj", "gm_xf1", "gm_xr"})
        QVERIFY2(rowsOf(data, table, plot) == 0, table);
    QCOMPARE(neighbourRows(data), text("2/1/1/0/1/已购"));
}

ReservationForm reservation(const char* contact, const char* prepaid) {
    ReservationForm form;
    form.plotKey = text(plot);
    form.prepaid = QString::fromLatin1(prepaid);
    form.contact = text(contact);
    form.agreedPrice = QStringLiteral("10000");
    form.balance = QString::number(10000 - QString::fromLatin1(prepaid).toDouble());
    form.reservedOn = QDate(2026, 12, 6);
    form.remindOn = QDate(2027, 1, 5);
    return form;
}

PurchaseForm sale(const char* contact, const char* land) {
    PurchaseForm form;
    form.plotKey = text(plot);
    form.contact = text(contact);
    form.boughtOn = form.useFrom = QDate(2026, 12, 6);
    form.useUntil = PurchaseService::useUntilFor(form.useFrom);
    form.fees.land = QString::fromLatin1(land);
    form.fees.stone = QStringLiteral("2000.125");
    form.remark = text("无");
    return form;
}

RenewalForm renewal(const QDate& until, const char* management) {
    RenewalForm form;
    form.plotKey = text(plot);
    form.useUntil = until;
    form.shownUntil = QDate(2046, 12, 6);
    form.contact = text("王五");
    form.management = QString::fromLatin1(management);
    form.extraName = text("刻字");
    form.extra = QStringLiteral("50.125");
    form.remark = text("续");
    return form;
}

ReturnForm giveBack(const char* contact) {
    ReturnForm form;
    form.plotKey = text(plot);
    form.contact = text(contact);
    form.workUnit = text("机械厂");
    form.phone = QStringLiteral("5551234");
    form.refund.land = QStringLiteral("9000.125");
    form.refund.stone = QStringLiteral("2000");
    form.management = QStringLiteral("115.125");
    return form;
}

BurialForm burial(const char* name) {
    BurialForm form;
    form.plotKey = text(plot);
    form.number = QStringLiteral("77");
    form.boughtOn = QDate(2026, 12, 1);
    form.useFrom = QDate(2026, 12, 6);
    form.useUntil = QDate(2046, 12, 6);
    form.person.name = text(name);
    form.person.sex = text("女");
    form.person.born = QDate(1940, 3, 4);
    form.person.died = QDate(2026, 11, 30);
    form.person.buried = QDate(2026, 12, 5);
    form.person.contact = text("王五");
    return form;
}

// The maintenance window after `typed` was topped up on the reservation as loaded.
MaintenanceForm toppedUp(const Reservation& loaded, const char* typed) {
    const TopUp amounts = ReservationMaintenanceService::topUp(loaded, QString::fromLatin1(typed));
    MaintenanceForm form;
    form.received = Money::format(amounts.received);
    form.balance = Money::format(amounts.balance);
    form.topUp = QString::fromLatin1(typed);
    form.contact = text("李四");
    return form;
}

struct PlotSetupRecording : RecordingSetupView<PlotSetupView> {
    void setRowGroupEnabled(bool) override {}
};

ScriptedPrompter yes() {
    ScriptedPrompter clerk;
    clerk.answers.enqueue(Prompter::Answer::Yes);
    return clerk;
}

} // namespace

// Two desks act on one plot, reservation or fee row at the same moment: one wins, the other is refused
// with its own words, and the tables tell the winner's story alone.
class BusinessRacesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        if (!TwoDesks::available())
            QSKIP("two desks share a server; a database file has one desk");
    }

    // A free plot is reserved once, or sold once, whichever desk reserves or buys it first.
    void aFreePlotIsReservedOrSoldOnce() {
        {
            TwoDesks desks;
            addPlots(desks.data, "未使用");
            ReservationService deskA(desks.deskA(), desks.session);
            ReservationService deskB(desks.deskB(), desks.session);
            const auto outcomes = desks.race([&] { return deskA.reserve(reservation("李四", "3000.125")); },
                                             [&] { return deskB.reserve(reservation("王五", "2000.375")); });
            QVERIFY_ONE_SAVED(outcomes, text("墓位“甲区1排0001号”现在是“已预订”，不是“未使用”，不能预订！"));
            QVERIFY(outcomes.byB.saved);
            QCOMPARE(
                desks.data.value(QStringLiteral("SELECT 联系人 || '/' || 预交金额 FROM ydmd")).toString(),
                text("王五/2000.375"));
            QCOMPARE(desks.data.count(QStringLiteral("ydmd")), 1);
            QCOMPARE(stateOf(desks.data, plot), text("已预订"));
            QCOMPARE(stateOf(desks.data, neighbour), text("未使用"));
        }
        {
            TwoDesks desks;
            addPlots(desks.data, "未使用");
            ReservationService deskA(desks.deskA(), desks.session);
            PurchaseService deskB({desks.deskB(), desks.session, desks.clock});
            const auto outcomes = desks.race([&] { return deskA.reserve(reservation("李四", "3000.125")); },
                                             [&] { return deskB.save(sale("王五", "9000.125")); });
            QVERIFY_ONE_SAVED(outcomes, text("墓位“甲区1排0001号”现在是“已购”，不是“未使用”，不能预订！"));
            QCOMPARE(desks.data.count(QStringLiteral("ydmd")), 0);
            QCOMPARE(rowsOf(desks.data, "gm_dj", plot), 1);
            QCOMPARE(feesOf(desks.data, plot), 11000.25);
            QCOMPARE(stateOf(desks.data, plot), text("已购"));
            QCOMPARE(stateOf(desks.data, neighbour), text("未使用"));
        }
        {
            TwoDesks desks;
            addPlots(desks.data, "未使用");
            PurchaseService deskA({desks.deskA(), desks.session, desks.clock});
            ReservationService deskB(desks.deskB(), desks.session);
            const auto outcomes = desks.race([&] { return deskA.save(sale("王五", "9000.125")); },
                                             [&] { return deskB.reserve(reservation("李四", "3000.125")); });
            QVERIFY_ONE_SAVED(outcomes, text("墓位“甲区1排0001号”现在是“已预订”，不是“未使用”，不能购墓！"));
            QCOMPARE(
                desks.data.value(QStringLiteral("SELECT 联系人 || '/' || 预交金额 FROM ydmd")).toString(),
                text("李四/3000.125"));
            QCOMPARE(desks.data.count(QStringLiteral("gm_dj")), 0);
            QCOMPARE(desks.data.count(QStringLiteral("gm_xf1")), 0);
            QCOMPARE(stateOf(desks.data, plot), text("已预订"));
        }
    }

    // Deleting a run of free plots while another desk sells one of them: the sold plot stays, and a sale
    // of a plot deleted meanwhile is refused.
    void aSetUpDeleteAndASaleShareNoPlot() {
        const auto runOf = [](const char* from, const char* to) {
            PlotSetupInput input;
            input.area = text("甲区");
            input.row = QStringLiteral("1");
            input.rowsListed = 1;
            input.deleteFrom = QString::fromLatin1(from);
            input.deleteTo = QString::fromLatin1(to);
            return input;
        };
        PurchaseForm second = sale("王五", "9000.125");
        second.plotKey = text("甲区1排0002号");
        const auto plotsLeft = [](TestData& data) {
            QStringList left;
            QSqlQuery rows =
                data.db().exec(QStringLiteral("SELECT 墓碑位置, 状态 FROM mq_wz ORDER BY 墓区, 号"), {},
                               QStringLiteral("test read"));
            while (rows.next())
                left << rows.value(0).toString() + u'=' + rows.value(1).toString();
            return left;
        };
        {
            TwoDesks desks;
            desks.data.sql(
                QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                               "('甲区', '1', '0001', '单人墓', '未使用'), ('甲区', '1', '0002', '单人墓', "
                               "'未使用'), ('甲区', '1', '0003', '单人墓', '未使用'), "
                               "('乙区', '1', '0002', '单人墓', '未使用')"));
            ScriptedPrompter clerkA = yes();
            PlotSetupService deskA(desks.deskA(), desks.session, clerkA);
            PurchaseService deskB({desks.deskB(), desks.session, desks.clock});
            PlotSetupRecording view;
            const auto outcomes = desks.race(
                [&] {
                    deskA.deleteRun(runOf("0001", "0002"), view);
                    return SaveOutcome{};
                },
                [&] { return deskB.save(second); });
            QVERIFY(outcomes.byB.saved);
            QCOMPARE(view.results,
                     texts({"OK！甲区1排0001号，已被删除！", "甲区1排0002号，正在使用中，不能删除！"}));
            QCOMPARE(plotsLeft(desks.data),
                     texts({"乙区1排0002号=未使用", "甲区1排0002号=已购", "甲区1排0003号=未使用"}));
            QCOMPARE(rowsOf(desks.data, "gm_dj", "甲区1排0002号"), 1);
        }
        {
            TwoDesks desks;
            desks.data.sql(
                QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                               "('甲区', '1', '0001', '单人墓', '未使用'), ('甲区', '1', '0002', '单人墓', "
                               "'未使用'), ('甲区', '1', '0003', '单人墓', '未使用'), "
                               "('乙区', '1', '0002', '单人墓', '未使用')"));
            ScriptedPrompter clerkB = yes();
            PurchaseService deskA({desks.deskA(), desks.session, desks.clock});
            PlotSetupService deskB(desks.deskB(), desks.session, clerkB);
            PlotSetupRecording view;
            const auto outcomes = desks.race([&] { return deskA.save(second); },
                                             [&] {
                                                 deskB.deleteRun(runOf("0001", "0002"), view);
                                                 return SaveOutcome{};
                                             });
            QVERIFY(outcomes.bRan);
            QVERIFY(!outcomes.byA.saved);
            QCOMPARE(outcomes.byA.message->text, text("找不到墓位“甲区1排0002号”，不能购墓！"));
            QCOMPARE(plotsLeft(desks.data), texts({"乙区1排0002号=未使用", "甲区1排0003号=未使用"}));
            QCOMPARE(desks.data.count(QStringLiteral("gm_dj")) + desks.data.count(QStringLiteral("gm_xf1")),
                     0);
        }
    }

    // Settling a reservation's balance and cancelling it exclude each other: the plot ends sold with
    // the reservation gone and no refund, or free with the refund and no sale.
    void aReservationIsSettledOrCancelledOnce() {
        const auto cancel = [](ReservationMaintenanceService& desk, const Reservation& loaded,
                               ScriptedPrompter& clerk) {
            MaintenanceForm form;
            form.received = QStringLiteral("3000.125");
            form.contact = text("李四");
            clerk.answers.enqueue(Prompter::Answer::Yes);
            clerk.inputs.enqueue(QStringLiteral("3000.125"));
            return desk.cancel(loaded, form, clerk);
        };
        const auto settle = [](qint64 id) {
            PurchaseForm form = sale("李四", "6999.875");
            form.mode = PurchaseForm::Mode::Settle;
            form.reservationId = id;
            return form;
        };
        {
            TwoDesks desks;
            const qint64 id = reservePlots(desks.data);
            PurchaseService deskA({desks.deskA(), desks.session, desks.clock});
            ReservationMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
            const Reservation loaded = *deskB.load(id);
            ScriptedPrompter clerk;
            const auto outcomes = desks.race([&] { return deskA.save(settle(id)); },
                                             [&] { return cancel(deskB, loaded, clerk); });
            QVERIFY_ONE_SAVED(outcomes, text("墓位“甲区1排0001号”的这条预订已经不在了，不能交清余款！"));
            QCOMPARE(rowsOf(desks.data, "yd_tm", plot), 1);
            QCOMPARE(desks.data.value(QStringLiteral("SELECT 退费金额 FROM yd_tm")).toDouble(), 3000.13);
            QCOMPARE(rowsOf(desks.data, "ydmd", plot), 0);
            QCOMPARE(desks.data.count(QStringLiteral("gm_dj")), 0);
            QCOMPARE(desks.data.count(QStringLiteral("gm_xf1")), 0);
            QCOMPARE(stateOf(desks.data, plot), text("未使用"));
            QCOMPARE(neighbourRows(desks.data), text("0/0/0/1/1/已预订"));
        }
        {
            TwoDesks desks;
            const qint64 id = reservePlots(desks.data);
            ReservationMaintenanceService deskA({desks.deskA(), desks.session, desks.clock});
            PurchaseService deskB({desks.deskB(), desks.session, desks.clock});
            const Reservation loaded = *deskA.load(id);
            ScriptedPrompter clerk;
            const auto outcomes = desks.race([&] { return cancel(deskA, loaded, clerk); },
                                             [&] { return deskB.save(settle(id)); });
            QVERIFY_ONE_SAVED(outcomes, text("墓位“甲区1排0001号”的这条预订已经不在了，不能取消预订！"));
            QCOMPARE(desks.data.count(QStringLiteral("yd_tm")), 0);
            QCOMPARE(rowsOf(desks.data, "ydmd", plot), 0);
            QCOMPARE(rowsOf(desks.data, "gm_dj", plot), 1);
            QCOMPARE(feesOf(desks.data, plot), 9000.0);
            QCOMPARE(stateOf(desks.data, plot), text("已购"));
            QCOMPARE(neighbourRows(desks.data), text("0/0/0/1/1/已预订"));
        }
    }

    // A top-up in the middle of which the reservation was cancelled writes nothing.
    void aCancelledReservationTakesNoTopUp() {
        TwoDesks desks;
        const qint64 id = reservePlots(desks.data);
        ReservationMaintenanceService deskA({desks.deskA(), desks.session, desks.clock});
        ReservationMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const Reservation loaded = *deskA.load(id);
        ScriptedPrompter clerkB = yes();
        clerkB.inputs.enqueue(QStringLiteral("3000.125"));
        const auto outcomes = desks.race([&] { return deskA.save(loaded, toppedUp(loaded, "500.25")); },
                                         [&] { return deskB.cancel(loaded, toppedUp(loaded, "0"), clerkB); });
        QVERIFY_ONE_SAVED(outcomes, text("墓位“甲区1排0001号”的这条预订已经不在了，不能修改预订！"));
        QCOMPARE(rowsOf(desks.data, "ydmd", plot), 0);
        QCOMPARE(desks.data.value(QStringLiteral("SELECT SUM(退费金额) FROM yd_tm")).toDouble(), 3000.13);
        QCOMPARE(stateOf(desks.data, plot), text("未使用"));
        QCOMPARE(neighbourRows(desks.data), text("0/0/0/1/1/已预订"));
    }

    // A cancellation whose window showed the amount before another desk's top-up must not refund from it:
    // the money just received would be lost with the reservation.
    void aToppedUpReservationIsNotCancelledFromAnOlderWindow() {
        TwoDesks desks;
        const qint64 id = reservePlots(desks.data);
        ReservationMaintenanceService deskA({desks.deskA(), desks.session, desks.clock});
        ReservationMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const Reservation loaded = *deskA.load(id);
        ScriptedPrompter clerkA = yes();
        clerkA.inputs.enqueue(QStringLiteral("3000.125"));
        const auto outcomes = desks.race([&] { return deskA.cancel(loaded, toppedUp(loaded, "0"), clerkA); },
                                         [&] { return deskB.save(loaded, toppedUp(loaded, "1000.5")); });
        QVERIFY_ONE_SAVED(outcomes, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(desks.data.count(QStringLiteral("yd_tm")), 0);
        QCOMPARE(stateOf(desks.data, plot), text("已预订"));
    }

    // Two windows that showed the same end of use renew it once: the second renewal would charge again
    // from an end already passed.
    void twoRenewalsOfOnePlotChargeOnce() {
        TwoDesks desks;
        sellPlots(desks.data);
        RenewalService deskA({desks.deskA(), desks.session, desks.clock});
        RenewalService deskB({desks.deskB(), desks.session, desks.clock});
        const auto outcomes = desks.race([&] { return deskA.save(renewal(QDate(2056, 12, 6), "160.125")); },
                                         [&] { return deskB.save(renewal(QDate(2066, 12, 6), "320.25")); });
        QVERIFY_ONE_SAVED(outcomes, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QVERIFY(outcomes.byB.saved);
        QCOMPARE(desks.data
                     .value(QStringLiteral("SELECT COUNT(DISTINCT 日期止) || '/' || MIN(日期止) FROM gm_dj "
                                           "WHERE 墓碑位置 = ?"),
                            {text(plot)})
                     .toString(),
                 QStringLiteral("1/2066-12-06"));
        QCOMPARE(desks.data.count(QStringLiteral("gm_xf1"), QStringLiteral("操作方式 = '加续费'")), 1);
        QCOMPARE(feesOf(desks.data, plot), 11765.125 + 320.25 + 50.125);
        QCOMPARE(neighbourRows(desks.data), text("2/1/1/0/1/已购"));
    }

    // A plot goes back once: a second return would record a second refund.
    void twoReturnsOfOnePlotRefundOnce() {
        TwoDesks desks;
        sellPlots(desks.data);
        GraveReturnService deskA({desks.deskA(), desks.session, desks.clock});
        GraveReturnService deskB({desks.deskB(), desks.session, desks.clock});
        ScriptedPrompter clerkA = yes();
        ScriptedPrompter clerkB = yes();
        const auto outcomes = desks.race([&] { return deskA.save(giveBack("王五"), clerkA); },
                                         [&] { return deskB.save(giveBack("王六"), clerkB); });
        QVERIFY_ONE_SAVED(outcomes, text("墓位“甲区1排0001号”现在是“未使用”，不是“已购”，不能退墓！"));
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 联系人 || '/' || 合计 FROM mq_tm")).toString(),
                 text("王六/11115.25"));
        QCOMPARE(desks.data.count(QStringLiteral("mq_tm")), 1);
        QCOMPARE(rowsOf(desks.data, "gm_dj", plot) + rowsOf(desks.data, "gm_xf1", plot) +
                     rowsOf(desks.data, "gm_xr", plot),
                 0);
        QCOMPARE(stateOf(desks.data, plot), text("未使用"));
        QCOMPARE(neighbourRows(desks.data), text("2/1/1/0/1/已购"));
    }

    // A renewal or a burial in the middle of which another desk gave the plot back is refused: nothing
    // is written for a free plot.
    void aReturnedPlotTakesNoRegistration_data() {
        QTest::addColumn<bool>("burying");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("renewal") << false
                                 << text("墓位“甲区1排0001号”现在是“未使用”，不是“已购”，不能加续费！");
        QTest::newRow("burial") << true << text("墓位“甲区1排0001号”现在是“未使用”，不是“已购”，不能落葬！");
    }
    void aReturnedPlotTakesNoRegistration() {
        QFETCH(bool, burying);
        QFETCH(QString, refusal);
        TwoDesks desks;
        sellPlots(desks.data);
        GraveReturnService deskB({desks.deskB(), desks.session, desks.clock});
        ScriptedPrompter clerkB = yes();
        RenewalService renewals({desks.deskA(), desks.session, desks.clock});
        BurialService burials({desks.deskA(), desks.session, desks.clock});
        const auto outcomes = desks.race(
            [&] {
                return burying ? burials.save(burial("张三"))
                               : renewals.save(renewal(QDate(2056, 12, 6), "160.125"));
            },
            [&] { return deskB.save(giveBack("王五"), clerkB); });
        QVERIFY_ONE_SAVED(outcomes, refusal);
        checkGivenBack(desks.data);
    }

    // A return that comes second takes a burial registered meanwhile with the rest of the plot's history,
    // as the return's question says: no register row or name slot stays on the free plot.
    void aReturnTakesABurialRegisteredMeanwhile() {
        TwoDesks desks;
        sellPlots(desks.data);
        GraveReturnService deskA({desks.deskA(), desks.session, desks.clock});
        BurialService deskB({desks.deskB(), desks.session, desks.clock});
        ScriptedPrompter clerkA = yes();
        ReturnForm form = giveBack("王五");
        form.shownUntil = QDate(2046, 12, 6);
        const auto outcomes =
            desks.race([&] { return deskA.save(form, clerkA); }, [&] { return deskB.save(burial("张三")); });
        QVERIFY_BOTH_SAVED(outcomes);
        checkGivenBack(desks.data);
    }

    // A return that comes after a renewal went through takes the renewal's fee row with the rest of the
    // plot's history: a refund counted without the renewal just paid would lose that money.
    void aReturnAfterARenewalIsRefused() {
        TwoDesks desks;
        sellPlots(desks.data);
        GraveReturnService deskA({desks.deskA(), desks.session, desks.clock});
        RenewalService deskB({desks.deskB(), desks.session, desks.clock});
        ScriptedPrompter clerkA = yes();
        ReturnForm form = giveBack("王五");
        form.shownUntil = QDate(2046, 12, 6);
        const auto outcomes = desks.race([&] { return deskA.save(form, clerkA); },
                                         [&] { return deskB.save(renewal(QDate(2056, 12, 6), "160.125")); });
        QVERIFY_ONE_SAVED(outcomes, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(desks.data.count(QStringLiteral("mq_tm")), 0);
        QCOMPARE(feesOf(desks.data, plot), 11765.125 + 160.125 + 50.125);
        QCOMPARE(stateOf(desks.data, plot), text("已购"));
    }

    // One deceased is registered on a plot once, whichever desk types the name first.
    void twoBurialsOfOnePersonRegisterOnce() {
        TwoDesks desks;
        sellPlots(desks.data);
        BurialService deskA({desks.deskA(), desks.session, desks.clock});
        BurialService deskB({desks.deskB(), desks.session, desks.clock});
        BurialForm byB = burial("张三");
        byB.person.contact = text("王六");
        const auto outcomes =
            desks.race([&] { return deskA.save(burial("张三")); }, [&] { return deskB.save(byB); });
        QVERIFY_ONE_SAVED(outcomes, text("此人已存在记录中,请重新填写！"));
        QCOMPARE(desks.data
                     .value(QStringLiteral(
                                "SELECT COUNT(*) || '/' || MIN(联系人) FROM gm_dj WHERE 墓碑位置 = ? AND "
                                "故者姓名 = ?"),
                            {text(plot), text("张三")})
                     .toString(),
                 text("1/王六"));
        QCOMPARE(rowsOf(desks.data, "gm_dj", plot), 3);
        QCOMPARE(neighbourRows(desks.data), text("2/1/1/0/1/已购"));
    }

    // Deregistering the deceased of a plot from two desks: a row goes once, and the plot keeps its one
    // purchase row even when each desk deregisters one of its last two.
    void aPlotKeepsItsPurchaseRowThroughDeregistrations_data() {
        QTest::addColumn<bool>("sameRow");
        QTest::newRow("the same row") << true;
        QTest::newRow("the last two rows") << false;
    }
    void aPlotKeepsItsPurchaseRowThroughDeregistrations() {
        QFETCH(bool, sameRow);
        TwoDesks desks;
        sellPlots(desks.data);
        const auto rowOf = [&](const char* name) {
            return desks.data
                .value(QStringLiteral("SELECT rid FROM gm_dj WHERE 墓碑位置 = ? AND 故者姓名 = ?"),
                       {text(plot), text(name)})
                .toLongLong();
        };
        const qint64 first = rowOf("张一");
        const qint64 second = rowOf("张二");
        BurialRecordsService deskA({desks.deskA(), desks.session, desks.clock});
        BurialRecordsService deskB({desks.deskB(), desks.session, desks.clock});
        const auto confirmed = [] { return true; };
        const auto outcomes =
            desks.race([&] { return deskA.deregister(text(plot), second, confirmed); },
                       [&] { return deskB.deregister(text(plot), sameRow ? second : first, confirmed); });
        if (sameRow) {
            QVERIFY_ONE_SAVED(outcomes, text("这条落葬记录已经不在了，请重新打开此窗口！"));
            QCOMPARE(desks.data
                         .value(QStringLiteral("SELECT 故者姓名 FROM gm_dj WHERE 墓碑位置 = ?"), {text(plot)})
                         .toString(),
                     text("张一"));
        } else {
            QVERIFY_BOTH_SAVED(outcomes);
            QCOMPARE(
                desks.data
                    .value(QStringLiteral("SELECT COALESCE(故者姓名, '-') || '/' || 联系人 || '/' || 日期止 "
                                          "FROM gm_dj WHERE 墓碑位置 = ?"),
                           {text(plot)})
                    .toString(),
                text("-/王五/2046-12-06"));
        }
        QCOMPARE(rowsOf(desks.data, "gm_dj", plot), 1);
        QCOMPARE(stateOf(desks.data, plot), text("已购"));
        QCOMPARE(neighbourRows(desks.data), text("2/1/1/0/1/已购"));
    }

    // A change of the start of use from a window filled before another desk renewed the plot: both land,
    // and the end just paid for stays.
    void aUseDateChangeFromAnOlderWindowKeepsARenewal() {
        TwoDesks desks;
        sellPlots(desks.data);
        BurialService deskA({desks.deskA(), desks.session, desks.clock});
        RenewalService deskB({desks.deskB(), desks.session, desks.clock});
        const auto outcomes = desks.race(
            [&] {
                return deskA.changeUseDates(text(plot), QDate(2026, 12, 6), QDate(2046, 12, 6),
                                            QDate(2026, 12, 7), QDate(2046, 12, 6));
            },
            [&] { return deskB.save(renewal(QDate(2056, 12, 6), "160.125")); });
        QVERIFY_BOTH_SAVED(outcomes);
        QCOMPARE(desks.data.count(
                     QStringLiteral("gm_dj"),
                     QStringLiteral("墓碑位置 = ? AND 日期起 = '2026-12-07' AND 日期止 = '2056-12-06'"),
                     {text(plot)}),
                 2);
    }

    // A fee row goes once: a desk deleting it after another desk deleted it, or gave the whole plot back,
    // is told it is gone, and the plot's other rows stay as the other desk left them.
    void aFeeRowIsDeletedOnce_data() {
        QTest::addColumn<bool>("byReturn");
        QTest::newRow("deleted by another desk") << false;
        QTest::newRow("plot given back") << true;
    }
    void aFeeRowIsDeletedOnce() {
        QFETCH(bool, byReturn);
        TwoDesks desks;
        sellPlots(desks.data);
        desks.data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 管理费, qtf, 合计, 操作方式) VALUES "
                                      "(?, 160.125, 50.125, 210.25, '加续费')"),
                       {text(plot)});
        const qint64 id =
            desks.data
                .value(QStringLiteral("SELECT id FROM gm_xf1 WHERE 墓碑位置 = ? AND 操作方式 = '加续费'"),
                       {text(plot)})
                .toLongLong();
        FeeRecordsService deskA(desks.deskA(), desks.session);
        FeeRecordsService deskB(desks.deskB(), desks.session);
        GraveReturnService returns({desks.deskB(), desks.session, desks.clock});
        ScriptedPrompter clerkA = yes();
        ScriptedPrompter clerkB = yes();
        const auto outcomes = desks.race(
            [&] { return deskA.remove(id, clerkA); },
            [&] { return byReturn ? returns.save(giveBack("王五"), clerkB) : deskB.remove(id, clerkB); });
        QVERIFY_ONE_SAVED(outcomes, text("这条收费记录已经不在了。"));
        QCOMPARE(feesOf(desks.data, plot), byReturn ? 0.0 : 11765.125);
        QCOMPARE(desks.data.count(QStringLiteral("mq_tm")), byReturn ? 1 : 0);
        QCOMPARE(feesOf(desks.data, neighbour), 11765.125);
    }
};

QTEST_GUILESS_MAIN(BusinessRacesTest)
#include "tst_businessraces.moc"
