#include "columbarium/nichefeerecordsservice.h"
#include "columbarium/nichesetupservice.h"
#include "columbarium/storagemaintenanceservice.h"
#include "columbarium/storageregistrationservice.h"
#include "support/setupfixture.h"
#include "support/twodesks.h"

#include <QSqlQuery>
#include <QTest>

namespace {

const char* const niche = "福寿厅1室0002号";
const char* const neighbour = "福寿厅北1室0002号"; // same room and number in a hall of a similar name

// Both niches occupied until 2027-04-06, each with its register row and its "存入" fee row.
void storeUrns(TestData& data) {
    data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES "
                            "('福寿厅', '1', '2', '0002', '双人框', 2400.125, '已使用'), "
                            "('福寿厅北', '1', '2', '0002', '单人框', 800.375, '已使用')"));
    for (const char* key : {neighbour, niche}) {
        data.sql(
            QStringLiteral("INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 日期起, 日期止, 联系人, "
                           "工作单位) VALUES (?, '红木', '陈二', '男', '2007-04-06', '2027-04-06', '陈小二', "
                           "'银行')"),
            {text(key)});
        data.sql(QStringLiteral(
                     "INSERT INTO ghjc_xf1 (存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, "
                     "操作方式, 操作员, 操作日期) VALUES (?, '陈二', '陈小二', '2007-04-06', "
                     "'2027-04-06', 2400.125, 2400.125, '存入', 'Admin', '2007-04-06 10:00:00')"),
                 {text(key)});
    }
}

QString stateOf(TestData& data, const char* key) {
    return data.value(QStringLiteral("SELECT 状态 FROM ghjc_wz WHERE 存放位置 = ?"), {text(key)}).toString();
}

int rowsOf(TestData& data, const char* table, const char* key) {
    return data.count(QString::fromLatin1(table), QStringLiteral("存放位置 = ?"), {text(key)});
}

double receivedFor(TestData& data, const char* key) {
    return data
        .value(QStringLiteral("SELECT COALESCE(SUM(实收费), 0) FROM ghjc_xf1 WHERE 存放位置 = ?"),
               {text(key)})
        .toDouble();
}

QString neighbourRows(TestData& data) {
    return QStringLiteral("%1/%2/%3/%4")
        .arg(rowsOf(data, "ghjc_dj", neighbour))
        .arg(QString::number(receivedFor(data, neighbour), 'f', 3))
        .arg(rowsOf(data, "jc_tf", neighbour))
        .arg(stateOf(data, neighbour));
}

StorageForm renewedUntil(const LoadedStorage& loaded, const QDate& until, const char* received) {
    StorageForm form = loaded.form;
    form.storedUntil = until;
    form.amountDue = QStringLiteral("2400.125");
    form.amountReceived = QString::fromLatin1(received);
    return form;
}

// The clerk refunds `amount` on cancelling.
ScriptedPrompter refunding(const char* amount) {
    ScriptedPrompter clerk;
    clerk.answers.enqueue(Prompter::Answer::Yes);
    clerk.inputs.enqueue(QString::fromLatin1(amount));
    return clerk;
}

ScriptedPrompter yes() {
    ScriptedPrompter clerk;
    clerk.answers.enqueue(Prompter::Answer::Yes);
    return clerk;
}

} // namespace

// Two desks act on one storage or fee row at the same moment: one wins, the other is refused with its
// own words, and the register, fee and refund rows and the niche's state tell the winner's story alone.
class ColumbariumRacesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        if (!TwoDesks::available())
            QSKIP("two desks share a server; a database file has one desk");
    }

    // Two windows that showed the same end renew once; the refused one learns the stored end.
    void twoRenewalsOfOneStorageChargeOnce() {
        TwoDesks desks;
        storeUrns(desks.data);
        StorageMaintenanceService deskA({desks.deskA(), desks.session, desks.clock});
        StorageMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const LoadedStorage loaded = *deskA.load({text(niche), 2400.125});
        Renewal byA;
        const auto outcomes = desks.race(
            [&] {
                byA = deskA.renew(loaded, renewedUntil(loaded, QDate(2037, 4, 6), "1200.125"));
                return byA.outcome;
            },
            [&] { return deskB.renew(loaded, renewedUntil(loaded, QDate(2047, 4, 6), "2400.375")).outcome; });
        QVERIFY_ONE_SAVED(outcomes,
                          text("此寄存记录的使用日期止已经是 2047-04-06，请重新选择续存到的日期！"));
        QCOMPARE(byA.until, std::optional<QDate>(QDate(2047, 4, 6)));
        QCOMPARE(
            desks.data.value(QStringLiteral("SELECT 日期止 FROM ghjc_dj WHERE 存放位置 = ?"), {text(niche)})
                .toString(),
            QStringLiteral("2047-04-06"));
        QCOMPARE(desks.data.count(QStringLiteral("ghjc_xf1"), QStringLiteral("操作方式 = '续存'")), 1);
        QCOMPARE(receivedFor(desks.data, niche), 2400.125 + 2400.38);
        QCOMPARE(neighbourRows(desks.data), text("1/2400.125/0/已使用"));
    }

    // A storage is cancelled once: a second refund row would pay the family twice.
    void twoCancellationsOfOneStorageRefundOnce() {
        TwoDesks desks;
        storeUrns(desks.data);
        StorageMaintenanceService deskA({desks.deskA(), desks.session, desks.clock});
        StorageMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const LoadedStorage loaded = *deskA.load({text(niche), 2400.125});
        ScriptedPrompter clerkA = refunding("500.125");
        ScriptedPrompter clerkB = refunding("600.375");
        const auto outcomes = desks.race([&] { return deskA.cancel(loaded, loaded.form, clerkA); },
                                         [&] { return deskB.cancel(loaded, loaded.form, clerkB); });
        QVERIFY_ONE_SAVED(outcomes, text("此寄存记录已经不在了，可能已被注销！"));
        QCOMPARE(desks.data.value(QStringLiteral("SELECT SUM(应退金额) FROM jc_tf")).toDouble(), 600.38);
        QCOMPARE(desks.data.count(QStringLiteral("jc_tf")), 1);
        QCOMPARE(rowsOf(desks.data, "ghjc_dj", niche), 0);
        QCOMPARE(stateOf(desks.data, niche), text("未使用"));
        QCOMPARE(neighbourRows(desks.data), text("1/2400.125/0/已使用"));
    }

    // A renewal in the middle of which the storage was cancelled writes nothing.
    void aCancelledStorageIsNotRenewed() {
        TwoDesks desks;
        storeUrns(desks.data);
        StorageMaintenanceService deskA({desks.deskA(), desks.session, desks.clock});
        StorageMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const LoadedStorage loaded = *deskA.load({text(niche), 2400.125});
        ScriptedPrompter clerkB = refunding("500.125");
        const auto outcomes = desks.race(
            [&] { return deskA.renew(loaded, renewedUntil(loaded, QDate(2037, 4, 6), "1200.125")).outcome; },
            [&] { return deskB.cancel(loaded, loaded.form, clerkB); });
        QVERIFY_ONE_SAVED(outcomes, text("此寄存记录已经不在了，可能已被注销！"));
        QCOMPARE(desks.data.count(QStringLiteral("ghjc_xf1"), QStringLiteral("操作方式 = '续存'")), 0);
        QCOMPARE(receivedFor(desks.data, niche), 2400.125);
        QCOMPARE(desks.data.count(QStringLiteral("jc_tf")), 1);
        QCOMPARE(stateOf(desks.data, niche), text("未使用"));
        QCOMPARE(neighbourRows(desks.data), text("1/2400.125/0/已使用"));
    }

    // A cancellation whose window showed the old end must not go through after another desk renewed:
    // its refund was weighed without the renewal just paid.
    void aRenewedStorageIsNotCancelledFromAnOlderWindow() {
        TwoDesks desks;
        storeUrns(desks.data);
        StorageMaintenanceService deskA({desks.deskA(), desks.session, desks.clock});
        StorageMaintenanceService deskB({desks.deskB(), desks.session, desks.clock});
        const LoadedStorage loaded = *deskA.load({text(niche), 2400.125});
        ScriptedPrompter clerkA = refunding("500.125");
        const auto outcomes = desks.race(
            [&] { return deskA.cancel(loaded, loaded.form, clerkA); },
            [&] { return deskB.renew(loaded, renewedUntil(loaded, QDate(2047, 4, 6), "2400.375")).outcome; });

        QVERIFY_ONE_SAVED(outcomes, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(desks.data.count(QStringLiteral("jc_tf")), 0);
        QCOMPARE(stateOf(desks.data, niche), text("已使用"));
    }

    // A niche keeps its last fee row even when two desks each delete one of its last two; one row is
    // deleted once.
    void aNicheKeepsItsLastFeeRow() {
        {
            TwoDesks desks;
            storeUrns(desks.data);
            desks.data.sql(QStringLiteral("INSERT INTO ghjc_xf1 (存放位置, 应收费, 实收费, 操作方式) VALUES "
                                          "(?, 1200.125, 1200.125, '续存')"),
                           {text(niche)});
            const QList<qint64> ids = {
                desks.data
                    .value(QStringLiteral("SELECT MIN(id) FROM ghjc_xf1 WHERE 存放位置 = ?"), {text(niche)})
                    .toLongLong(),
                desks.data
                    .value(QStringLiteral("SELECT MAX(id) FROM ghjc_xf1 WHERE 存放位置 = ?"), {text(niche)})
                    .toLongLong()};
            NicheFeeRecordsService deskA(desks.deskA(), desks.session);
            NicheFeeRecordsService deskB(desks.deskB(), desks.session);
            ScriptedPrompter clerkA = yes();
            ScriptedPrompter clerkB = yes();
            const auto outcomes = desks.race([&] { return deskA.remove(ids.at(0), clerkA); },
                                             [&] { return deskB.remove(ids.at(1), clerkB); });
            QVERIFY_ONE_SAVED(outcomes, text("记录只剩下一条,不能删除!"));
            QCOMPARE(rowsOf(desks.data, "ghjc_xf1", niche), 1);
            QCOMPARE(receivedFor(desks.data, niche), 2400.125);
            QCOMPARE(neighbourRows(desks.data), text("1/2400.125/0/已使用"));
        }
        {
            TwoDesks desks;
            storeUrns(desks.data);
            for (const char* received : {"1200.125", "600.375"})
                desks.data.sql(
                    QStringLiteral("INSERT INTO ghjc_xf1 (存放位置, 应收费, 实收费, 操作方式) VALUES "
                                   "(?, 1200.125, ?, '续存')"),
                    {text(niche), QString::fromLatin1(received)});
            const qint64 id =
                desks.data
                    .value(QStringLiteral("SELECT id FROM ghjc_xf1 WHERE 存放位置 = ? AND 实收费 = "
                                          "1200.125"),
                           {text(niche)})
                    .toLongLong();
            NicheFeeRecordsService deskA(desks.deskA(), desks.session);
            NicheFeeRecordsService deskB(desks.deskB(), desks.session);
            ScriptedPrompter clerkA = yes();
            ScriptedPrompter clerkB = yes();
            const auto outcomes = desks.race([&] { return deskA.remove(id, clerkA); },
                                             [&] { return deskB.remove(id, clerkB); });
            QVERIFY_ONE_SAVED(outcomes, text("这条收费记录已经不在了。"));
            QCOMPARE(rowsOf(desks.data, "ghjc_xf1", niche), 2);
            QCOMPARE(receivedFor(desks.data, niche), 2400.125 + 600.375);
        }
    }

    // Deleting a run of free niches while another desk stores an urn in one of them: the used niche
    // stays, and a storage in a niche deleted meanwhile is refused.
    void aSetUpDeleteAndAStorageShareNoNiche() {
        NicheSetupInput run;
        run.hall = text("福寿厅");
        run.room = QStringLiteral("1");
        run.roomsListed = 1;
        run.deleteFrom = QStringLiteral("1");
        run.deleteTo = QStringLiteral("2");
        StorageForm urn;
        urn.nicheKey = text("福寿厅1室0002号");
        urn.urnType = text("红木");
        urn.storedFrom = QDate(2026, 12, 6);
        urn.storedUntil = QDate(2046, 12, 6);
        urn.deceased = text("张三");
        urn.sex = text("男");
        urn.contact = text("陈小二");
        urn.amountDue = urn.amountReceived = QStringLiteral("800.125");
        const auto nichesLeft = [](TestData& data) {
            QStringList left;
            QSqlQuery rows =
                data.db().exec(QStringLiteral("SELECT 存放位置, 状态 FROM ghjc_wz ORDER BY 厅, 号"), {},
                               QStringLiteral("test read"));
            while (rows.next())
                left << rows.value(0).toString() + u'=' + rows.value(1).toString();
            return left;
        };
        for (const bool storingFirst : {true, false}) {
            TwoDesks desks;
            desks.data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES "
                                          "('福寿厅', '1', '2', '0001', '单人框', 800.125, '未使用'), "
                                          "('福寿厅', '1', '2', '0002', '单人框', 800.125, '未使用'), "
                                          "('福寿厅', '1', '2', '0003', '单人框', 800.125, '未使用'), "
                                          "('福寿厅北', '1', '2', '0002', '单人框', 900.375, '未使用')"));
            ScriptedPrompter clerk = yes();
            NicheSetupService setUp(storingFirst ? desks.deskA() : desks.deskB(), desks.session, clerk);
            StorageRegistrationService storing(
                {storingFirst ? desks.deskB() : desks.deskA(), desks.session, desks.clock});
            RecordingSetupView<> view;
            const auto deleting = [&] {
                setUp.deleteRun(run, view);
                return SaveOutcome{};
            };
            const auto storage = [&] { return storing.save(urn); };
            const auto outcomes =
                storingFirst ? desks.race(deleting, storage) : desks.race(storage, deleting);
            QVERIFY(outcomes.bRan);
            if (storingFirst) {
                QVERIFY(outcomes.byB.saved);
                QCOMPARE(view.results, texts({"OK！福寿厅1室0001号，已被删除！",
                                              "福寿厅1室0002号，正在使用中，不能删除！"}));
                QCOMPARE(nichesLeft(desks.data), texts({"福寿厅1室0002号=已使用", "福寿厅1室0003号=未使用",
                                                        "福寿厅北1室0002号=未使用"}));
                QCOMPARE(rowsOf(desks.data, "ghjc_dj", "福寿厅1室0002号"), 1);
                QCOMPARE(receivedFor(desks.data, "福寿厅1室0002号"), 800.13);
            } else {
                QVERIFY(!outcomes.byA.saved);
                QCOMPARE(outcomes.byA.message->text, text("找不到寄存位“福寿厅1室0002号”，不能入档！"));
                QCOMPARE(nichesLeft(desks.data),
                         texts({"福寿厅1室0003号=未使用", "福寿厅北1室0002号=未使用"}));
                QCOMPARE(desks.data.count(QStringLiteral("ghjc_dj")) +
                             desks.data.count(QStringLiteral("ghjc_xf1")),
                         0);
            }
        }
    }
};

QTEST_GUILESS_MAIN(ColumbariumRacesTest)
#include "tst_columbariumraces.moc"
