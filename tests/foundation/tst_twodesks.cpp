#include "business/purchaseservice.h"
#include "business/reservationmaintenanceservice.h"
#include "columbarium/storagemaintenanceservice.h"
#include "columbarium/storageregistrationservice.h"
#include "foundation/money.h"
#include "support/testsupport.h"
#include "support/twodesks.h"

#include <QTest>

namespace {

PurchaseForm sale(const QString& contact) {
    PurchaseForm form;
    form.plotKey = QStringLiteral("甲区1排0001号");
    form.contact = contact;
    form.boughtOn = form.useFrom = QDate(2026, 12, 6);
    form.useUntil = PurchaseService::useUntilFor(form.useFrom);
    form.fees.land = QStringLiteral("9000");
    form.remark = QStringLiteral("无");
    return form;
}

StorageForm urn(const QString& deceased) {
    StorageForm form;
    form.nicheKey = QStringLiteral("福寿厅1室0002号");
    form.urnType = QStringLiteral("红木");
    form.storedFrom = QDate(2026, 12, 6);
    form.storedUntil = QDate(2046, 12, 6);
    form.deceased = deceased;
    form.sex = QStringLiteral("男");
    form.contact = QStringLiteral("陈小二");
    form.amountDue = form.amountReceived = QStringLiteral("800");
    return form;
}

} // namespace

class TwoDesksTest : public QObject {
    Q_OBJECT

private slots:
    // Desk A's outcome of a race that desk B's action must have won or shared.
    static SaveOutcome winnerIsB(const TwoDesks::Outcomes& outcomes) {
        if (!outcomes.byB.saved)
            QTest::qFail("desk B's action was not saved", __FILE__, __LINE__);
        return outcomes.byA;
    }

    void init() {
        if (!TwoDesks::available())
            QSKIP("two desks share a server; a database file has one desk");
    }

    void twoDesksBuyingOneFreePlotSellItOnce() {
        TwoDesks desks;
        desks.data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES "
                                      "('甲区', '1', '0001', '单人墓', '未使用')"));
        PurchaseService deskA({desks.data.db(), desks.session, desks.clock});
        PurchaseService deskB({desks.deskB(), desks.session, desks.clock});
        const SaveOutcome byA =
            winnerIsB(desks.race([&] { return deskA.save(sale(QStringLiteral("李四"))); },
                                 [&] { return deskB.save(sale(QStringLiteral("王五"))); }));
        QVERIFY(!byA.saved);
        QCOMPARE(byA.message->text, text("墓位“甲区1排0001号”现在是“已购”，不是“未使用”，不能购墓！"));
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 联系人 FROM gm_dj")).toString(),
                 QStringLiteral("王五"));
        QCOMPARE(desks.data.count(QStringLiteral("gm_dj")), 1);
        QCOMPARE(desks.data.count(QStringLiteral("gm_xf1"), QStringLiteral("操作方式 = '购墓'")), 1);
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 状态 FROM mq_wz")).toString(),
                 QStringLiteral("已购"));
    }

    void twoDesksStoringInOneNicheStoreOneUrn() {
        TwoDesks desks;
        desks.data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES "
                                      "('福寿厅', '1', '2', '0002', '单人框', 800, '未使用')"));
        StorageRegistrationService deskA({desks.data.db(), desks.session, desks.clock});
        StorageRegistrationService deskB({desks.deskB(), desks.session, desks.clock});
        const SaveOutcome byA =
            winnerIsB(desks.race([&] { return deskA.save(urn(QStringLiteral("张三"))); },
                                 [&] { return deskB.save(urn(QStringLiteral("陈二"))); }));
        QVERIFY(!byA.saved);
        QCOMPARE(byA.message->text, text("寄存位“福寿厅1室0002号”现在是“已使用”，不能入档！"));
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 故者姓名 FROM ghjc_dj")).toString(),
                 QStringLiteral("陈二"));
        QCOMPARE(desks.data.count(QStringLiteral("ghjc_dj")), 1);
        QCOMPARE(desks.data.count(QStringLiteral("ghjc_xf1")), 1);
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 状态 FROM ghjc_wz")).toString(),
                 QStringLiteral("已使用"));
    }

    void twoDesksCancellingOneReservationRefundItOnce() {
        TwoDesks desks;
        desks.data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '0001', '已预订')"));
        desks.data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人, 预交金额, 成交金额, 余额) VALUES "
                                      "('甲区1排0001号', '李四', 3000, 10000, 7000)"));
        ReservationMaintenanceService deskA({desks.data.db(), desks.session, desks.clock});
        ReservationMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const qint64 id = desks.data.value(QStringLiteral("SELECT id FROM ydmd")).toLongLong();
        const Reservation loaded = *deskA.load(id);
        MaintenanceForm form;
        form.received = QStringLiteral("3000");
        form.contact = QStringLiteral("李四");
        ScriptedPrompter clerkA;
        ScriptedPrompter clerkB;
        for (ScriptedPrompter* clerk : {&clerkA, &clerkB}) {
            clerk->answers.enqueue(Prompter::Answer::Yes);
            clerk->inputs.enqueue(QStringLiteral("3000"));
        }
        const SaveOutcome byA = winnerIsB(desks.race([&] { return deskA.cancel(loaded, form, clerkA); },
                                                     [&] { return deskB.cancel(loaded, form, clerkB); }));
        QVERIFY(!byA.saved);
        QCOMPARE(byA.message->text, text("墓位“甲区1排0001号”的这条预订已经不在了，不能取消预订！"));
        QCOMPARE(desks.data.count(QStringLiteral("yd_tm")), 1);
        QCOMPARE(desks.data.count(QStringLiteral("ydmd")), 0);
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 状态 FROM mq_wz")).toString(),
                 QStringLiteral("未使用"));
    }

    // Desk B's top-up lands between desk A's re-check and its write: A's transaction runs again and
    // adds its payment to B's.
    void twoDesksToppingUpOneReservationKeepBothPayments() {
        TwoDesks desks;
        desks.data.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 状态) VALUES ('甲区', '1', '0001', '已预订')"));
        desks.data.sql(QStringLiteral("INSERT INTO ydmd (墓碑位置, 联系人, 预交金额, 成交金额, 余额) VALUES "
                                      "('甲区1排0001号', '李四', 3000, 10000, 7000)"));
        ReservationMaintenanceService deskA({desks.data.db(), desks.session, desks.clock});
        ReservationMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const qint64 id = desks.data.value(QStringLiteral("SELECT id FROM ydmd")).toLongLong();
        const Reservation loaded = *deskA.load(id);
        const TopUp shown = ReservationMaintenanceService::topUp(loaded, QStringLiteral("500.005"));
        const MaintenanceForm form{Money::format(shown.received),
                                   loaded.contact,
                                   QString(),
                                   QString(),
                                   QString(),
                                   QStringLiteral("500.005"),
                                   Money::format(shown.balance)};
        const SaveOutcome byA = winnerIsB(
            desks.race([&] { return deskA.save(loaded, form); }, [&] { return deskB.save(loaded, form); }));
        QVERIFY(byA.saved);
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 预交金额 FROM ydmd")).toString(),
                 QStringLiteral("4000.02"));
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 余额 FROM ydmd")).toString(),
                 QStringLiteral("5999.98"));
    }

    // Desk B's record save lands between desk A's start and its write: a field both changed is refused
    // to A with B's kept; a field only A changed is written beside B's.
    void twoDesksSavingOneNicheRecordKeepBothOrRefuseTheLater() {
        TwoDesks desks;
        desks.data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES "
                                      "('福寿厅', '1', '2', '0002', '单人框', 800, '已使用')"));
        desks.data.sql(QStringLiteral(
            "INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 联系人, 联系电话, 家庭住址) "
            "VALUES ('福寿厅1室0002号', '红木', '张三', '男', '陈小二', '021-6300', '淮海路3号')"));
        StorageMaintenanceService deskA({desks.data.db(), desks.session, desks.clock});
        StorageMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const ChosenNiche niche{QStringLiteral("福寿厅1室0002号"), 800};
        LoadedStorage seenByA = *deskA.load(niche);
        LoadedStorage seenByB = *deskB.load(niche);
        StorageForm byA = seenByA.form;
        StorageForm byB = seenByB.form;
        byA.phone = QStringLiteral("021-1111");
        byB.phone = QStringLiteral("021-2222");
        byB.address = QStringLiteral("南京路9号");
        SaveOutcome outcome = winnerIsB(
            desks.race([&] { return deskA.save(seenByA, byA); }, [&] { return deskB.save(seenByB, byB); }));
        QCOMPARE(outcome.message->text, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 联系电话 || 家庭住址 FROM ghjc_dj")).toString(),
                 text("021-2222南京路9号"));

        seenByA = *deskA.load(niche);
        seenByB = *deskB.load(niche);
        byA = seenByA.form;
        byB = seenByB.form;
        byA.workUnit = QStringLiteral("银行");
        byB.remark = QStringLiteral("加急");
        outcome = winnerIsB(
            desks.race([&] { return deskA.save(seenByA, byA); }, [&] { return deskB.save(seenByB, byB); }));
        QVERIFY(outcome.saved);
        QCOMPARE(desks.data.value(QStringLiteral("SELECT 工作单位 || 备注 FROM ghjc_dj")).toString(),
                 text("银行加急"));
    }
};

QTEST_GUILESS_MAIN(TwoDesksTest)
#include "tst_twodesks.moc"
