#include "columbarium/nichebrowseservice.h"
#include "columbarium/storagemaintenanceservice.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

// Two halls with rooms and numbers of the same names, both occupied and stored until 2027-04-06;
// 福寿厅 room 1 number 0002 is the one maintained.
struct Maintenance {
    TestData data;
    Session session;
    FixedClock clock{testNow()};
    StorageMaintenanceService service{{data.db(), session, clock}};

    Maintenance() {
        session.operatorName = QStringLiteral("Admin");
        data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 层, 号, 样式, 价位, 状态) VALUES ('福寿厅', '1', '2', '0002', '双人框', "
            "2400.5, '已使用'), ('福寿厅北', '1', '2', '0002', '单人框', 800, '已使用'), ('福寿厅', '1', '3', "
            "'0003', '单人框', 900, '未使用'), ('福寿厅', '1', '3', '0004', '单人框', 900, '已使用')"));
        data.sql(QStringLiteral(
            "INSERT INTO ghjc_dj (存放位置, 骨灰盒型, 故者姓名, 性别, 出生日期, 逝世日期, 籍贯, 生前单位, 日期起, "
            "日期止, 联系人, 关系, 工作单位, 身份证号, 家庭住址, 联系电话, 电子信箱, 备注) VALUES "
            "('福寿厅北1室0002号', '檀木', '李四', '女', '1940-05-06', '2007-01-02', '苏州', '学校', '2007-04-06', "
            "'2027-04-06', '李小四', '母女', '医院', '320501', '观前街1号', '0512-1', '无', '无'), "
            "('福寿厅1室0002号', '红木', '陈二', '男', '1930-01-02', '2007-03-04', '上海', '纺织厂', '2007-04-06', "
            "'2027-04-06', '陈小二', '父子', '银行', '310101', '南京路9号', '021-6300', 'chen@example.cn', '加急')"));
        data.sql(QStringLiteral(
            "INSERT INTO ghjc_xf1 (存放位置, 故者姓名, 联系人, 日期起, 日期止, 应收费, 实收费, 操作方式, 操作员, "
            "操作日期) VALUES ('福寿厅1室0002号', '陈二', '陈小二', '2007-04-06', '2027-04-06', 2400.5, 2400.5, "
            "'存入', 'Admin', '2007-04-06 10:00:00')"));
    }
    LoadedStorage load(const char* key = "福寿厅1室0002号") { return *service.load({text(key), 2400.5}); }
    QString tables() {
        return data.dump(QStringLiteral("ghjc_wz")) + data.dump(QStringLiteral("ghjc_dj")) +
               data.dump(QStringLiteral("ghjc_xf1")) + data.dump(QStringLiteral("jc_tf"));
    }
};

QString said(const SaveOutcome& outcome) {
    return outcome.message ? outcome.message->caption + u'|' + outcome.message->text : QString();
}

QStringList tails(const QList<PrintJob>& jobs) {
    QStringList tails;
    for (const PrintJob& job : jobs)
        tails << *job.listName + u'|' + PrintBridge::commandTail(job);
    return tails;
}

} // namespace

class StorageMaintenanceTest : public QObject {
    Q_OBJECT

private slots:
    // Occupied niches of exactly the hall and room, with their own status words and print heading; only
    // an occupied niche can be picked.
    void theMaintenanceBrowseListsOccupiedNiches() {
        Maintenance maintenance;
        NicheBrowseService browse(maintenance.data.db(), NicheListing::Occupied);
        NicheList list = browse.room(QStringLiteral("福寿厅"), QStringLiteral("1"));
        QCOMPARE(list.niches.size(), 2);
        QCOMPARE(list.status, QStringLiteral("福寿厅1室，已使用的位置数： 2"));
        list = browse.layer(QStringLiteral("福寿厅"), QStringLiteral("1"), QStringLiteral("3"));
        QCOMPARE(list.status, QStringLiteral("福寿厅1室，位于第3层的已使用位置数： 1"));
        QCOMPARE(tails({browse.listPrint(list)}),
                 texts({"jcwzs|jcwzs$#select * from ghjc_wz where 厅='福寿厅' and 室='1' and 层='3' and "
                        "状态='已使用' order by 号@已使用寄存框架"}));
        QCOMPARE(browse.pick(QStringLiteral("福寿厅1室0002号"))->niche.price, 2400.5);
        QVERIFY(!browse.pick(QStringLiteral("福寿厅1室0003号")));
    }

    // The window's fields come from the niche's own row; a save changes every column but the name and
    // the dates, keeps empty fields as the office stores them, and prints by id.
    void aRecordIsSavedWithoutItsNameOrDates() {
        Maintenance maintenance;
        LoadedStorage loaded = maintenance.load();
        QCOMPARE(loaded.form.deceased + loaded.form.relation + loaded.form.amountDue,
                 QStringLiteral("陈二父子2400.5"));
        QCOMPARE(loaded.until, QDate(2027, 4, 6));
        QCOMPARE(loaded.form.born, QDate(1930, 1, 2));

        const QString before = maintenance.tables();
        maintenance.session.flags.modifyDenied = true;
        QCOMPARE(said(maintenance.service.save(loaded, loaded.form)),
                 QStringLiteral("Admin|您没有修改记录权限！"));
        maintenance.session.flags.modifyDenied = false;
        StorageForm form = loaded.form;
        form.urnType = QStringLiteral(" ");
        QCOMPARE(said(maintenance.service.save(loaded, form)), QStringLiteral("|请填写骨灰盒型!"));
        form = loaded.form;
        form.sex.clear();
        QCOMPARE(said(maintenance.service.save(loaded, form)), QStringLiteral("|请选择性别!"));
        form = loaded.form;
        form.contact = QStringLiteral(" ");
        QCOMPARE(said(maintenance.service.save(loaded, form)), QStringLiteral("|请把联系人情况填写完整!"));
        QCOMPARE(maintenance.tables(), before);

        form = loaded.form;
        form.urnType = QStringLiteral(" 楠木 ");
        form.deceased = QStringLiteral("改名");
        form.storedFrom = QDate(2001, 1, 1);
        form.storedUntil = QDate(2099, 1, 1);
        form.sex = QStringLiteral("女");
        form.born = QDate(1931, 2, 3);
        form.died = QDate(2007, 3, 5);
        form.nativePlace.clear();
        form.formerUnit = QStringLiteral("铁路局");
        form.contact = QStringLiteral(" 陈大二 ");
        form.relation = QStringLiteral("兄弟");
        form.workUnit = QStringLiteral("邮局");
        form.idNumber = QStringLiteral(" ");
        form.address = QStringLiteral("淮海路3号");
        form.phone = QStringLiteral("021-5400");
        form.email.clear();
        form.remark.clear();
        form.hideBirthDate = true;
        const SaveOutcome outcome = maintenance.service.save(loaded, form);
        QCOMPARE(said(outcome), QStringLiteral("|保存成功!"));
        QCOMPARE(maintenance.data.dump(QStringLiteral("ghjc_dj")).section(u'\n', 1),
                 QStringLiteral("2|福寿厅1室0002号|楠木|陈二|女|1931-02-03|2007-03-05| |铁路局|2007-04-06|"
                                "2027-04-06|陈大二|兄弟|邮局| |淮海路3号|021-5400|无|无"));
        QCOMPARE(maintenance.data.dump(QStringLiteral("ghjc_dj")).section(u'\n', 0, 0).section(u'|', 2, 3),
                 QStringLiteral("檀木|李四"));
        QCOMPARE(tails(outcome.prints),
                 texts({"jc_dj|jc_dj$#select *, 1 as 不显示出生日期 from ghjc_dj where id=2",
                        "yxsj_jc|yxsj_jc$#select * from ghjc_dj where id=2",
                        "gz_jc|gz_jc$#select *, 1 as 不显示出生日期 from ghjc_dj where id=2",
                        "lxr_jc|lxr_jc$#select * from ghjc_dj where id=2"}));

        maintenance.data.sql(QStringLiteral("DELETE FROM ghjc_dj WHERE id = 2"));
        QCOMPARE(said(maintenance.service.save(loaded, form)),
                 QStringLiteral("提示|此寄存记录已经不在了，可能已被注销！"));
        QVERIFY(!maintenance.service.load({QStringLiteral("福寿厅1室0002号"), 0}));
    }

    // Two desks saving one record from windows opened on the same values: a field changed at one desk
    // stays when the other saves a different one; a field both changed is refused to the later one with
    // nothing written; a window that saved goes on from what it stored.
    void aRecordSaveNeverWritesOverAColleague() {
        Maintenance maintenance;
        Database otherDesk(maintenance.data.db().target(), Database::Mode::Open);
        StorageMaintenanceService colleague({otherDesk, maintenance.session, maintenance.clock});
        LoadedStorage seenHere = maintenance.load();
        LoadedStorage seenThere = *colleague.load({QStringLiteral("福寿厅1室0002号"), 2400.5});

        StorageForm theirs = seenThere.form;
        theirs.phone = QStringLiteral("021-9999");
        theirs.born = QDate(1930, 1, 3);
        QVERIFY(colleague.save(seenThere, theirs).saved);
        StorageForm mine = seenHere.form;
        mine.address = QStringLiteral("淮海路3号");
        mine.email.clear();
        QCOMPARE(said(maintenance.service.save(seenHere, mine)), QStringLiteral("|保存成功!"));
        QCOMPARE(maintenance.data.dump(QStringLiteral("ghjc_dj")).section(u'\n', 1),
                 QStringLiteral("2|福寿厅1室0002号|红木|陈二|男|1930-01-03|2007-03-04|上海|纺织厂|2007-04-06|"
                                "2027-04-06|陈小二|父子|银行|310101|淮海路3号|021-9999|无|加急"));

        // The same window saves again from what it stored; the colleague's window is stale for the address.
        mine.remark = QStringLiteral("已通知");
        QVERIFY(maintenance.service.save(seenHere, mine).saved);
        const QString before = maintenance.tables();
        theirs.address = QStringLiteral("南京路10号");
        QCOMPARE(said(colleague.save(seenThere, theirs)),
                 text("提示|此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(maintenance.tables(), before);
        // Each guarded field on its own: the birth date the colleague changed refuses this window too.
        mine.born = QDate(1929, 12, 31);
        QCOMPARE(said(maintenance.service.save(seenHere, mine)),
                 text("提示|此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(maintenance.tables(), before);
    }

    // Each refusal on its own; a renewal writes the new end and a "续存" row from the old end, or nothing
    // when a write fails; a second renewal from the same old end is refused, one from the new end is not.
    void aRenewalChargesOnceFromTheEndItShowed() {
        Maintenance maintenance;
        LoadedStorage loaded = maintenance.load();
        StorageForm form = loaded.form;
        form.storedUntil = QDate(2047, 4, 6);
        form.amountDue = QStringLiteral("3000.25");
        form.amountReceived = QStringLiteral("2999.5");
        const QString before = maintenance.tables();
        const auto refusal = [&](const StorageForm& typed) {
            return said(maintenance.service.renew(loaded, typed).outcome);
        };
        maintenance.session.flags.addDenied = true;
        QCOMPARE(refusal(form), QStringLiteral("Admin|您没有添加记录权限！"));
        maintenance.session.flags.addDenied = false;
        StorageForm wrong = form;
        wrong.deceased = QStringLiteral(" ");
        QCOMPARE(refusal(wrong), QStringLiteral("|请填写故者姓名!"));
        wrong = form;
        wrong.sex.clear();
        QCOMPARE(refusal(wrong), QStringLiteral("|请选择性别!"));
        wrong = form;
        wrong.storedUntil = loaded.until;
        const Renewal sameEnd = maintenance.service.renew(loaded, wrong);
        QCOMPARE(said(sameEnd.outcome), QStringLiteral("|使用日期起止错误!"));
        QCOMPARE(sameEnd.outcome.message->icon, Prompter::Icon::Exclamation);
        QCOMPARE(sameEnd.until, std::optional<QDate>(QDate(2027, 4, 6)));
        wrong = form;
        wrong.contact.clear();
        QCOMPARE(refusal(wrong), QStringLiteral("|请把联系人情况填写完整!"));
        wrong = form;
        wrong.amountReceived = QStringLiteral("0");
        QCOMPARE(refusal(wrong), QStringLiteral("|应收费与实收费不能为零！"));
        for (int write = 1; write <= 2; ++write) {
            maintenance.data.db().failNthWrite(write);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, maintenance.service.renew(loaded, form));
            QCOMPARE(maintenance.tables(), before);
        }
        maintenance.data.db().failNthWrite(0);

        const Renewal renewal = maintenance.service.renew(loaded, form);
        QCOMPARE(said(renewal.outcome), QStringLiteral("|续存成功!"));
        QCOMPARE(renewal.until, std::optional<QDate>(QDate(2047, 4, 6)));
        QCOMPARE(maintenance.data.value(
                     QStringLiteral("SELECT 日期起 || '/' || 日期止 FROM ghjc_dj WHERE id = 2")),
                 QVariant(QStringLiteral("2007-04-06/2047-04-06")));
        QCOMPARE(
            maintenance.data.dump(QStringLiteral("ghjc_xf1")).section(u'\n', 1),
            QStringLiteral("2|福寿厅1室0002号|陈二|陈小二|2027-04-06|2047-04-06|3000.25|2999.5|续存|Admin|"
                           "2026-12-06 09:30:00"));
        QCOMPARE(tails(renewal.outcome.prints), texts({"jc_xc|jc_xc$#select * from ghjc_xf1 where id=2@ 20年",
                                                       "jc_xf1|jc_xf1$#select * from ghjc_xf1 where id=2"}));

        // The same window clicked again, still showing 2027 as the end: refused, and told the stored end.
        const QString renewed = maintenance.tables();
        form.storedUntil = QDate(2052, 4, 6);
        const Renewal again = maintenance.service.renew(loaded, form);
        QVERIFY(!again.outcome.saved);
        QCOMPARE(said(again.outcome),
                 QStringLiteral("提示|此寄存记录的使用日期止已经是 2047-04-06，请重新选择续存到的日期！"));
        QCOMPARE(again.until, std::optional<QDate>(QDate(2047, 4, 6)));
        QCOMPARE(maintenance.tables(), renewed);
        loaded.until = *again.until;
        QVERIFY(maintenance.service.renew(loaded, form).outcome.saved);
        QCOMPARE(maintenance.data.value(
                     QStringLiteral("SELECT 日期起 || '/' || 日期止 FROM ghjc_xf1 WHERE id = 3")),
                 QVariant(QStringLiteral("2047-04-06/2052-04-06")));

        // A niche no longer occupied is not renewed.
        maintenance.data.sql(
            QStringLiteral("UPDATE ghjc_wz SET 状态 = '未使用' WHERE 存放位置 = '福寿厅1室0002号'"));
        loaded.until = QDate(2052, 4, 6);
        form.storedUntil = QDate(2060, 1, 1);
        QCOMPARE(said(maintenance.service.renew(loaded, form).outcome),
                 QStringLiteral("提示|寄存位“福寿厅1室0002号”现在是“未使用”，不能续存！"));
    }

    // With a refund or without, a cancellation removes the register row, frees the niche and writes
    // the refund in one go or not at all, and only once; fee rows and memos stay.
    void aCancellationIsAllOrNothingAndHappensOnce() {
        Maintenance maintenance;
        maintenance.data.sql(QStringLiteral("INSERT INTO jc_bwl (寄存位置, 操作时间, 备忘内容) VALUES "
                                            "('福寿厅1室0002号', '2026-01-02 08:00:00', '清明')"));
        ScriptedPrompter prompter;
        LoadedStorage loaded = maintenance.load();
        StorageForm form = loaded.form;
        form.workUnit = QStringLiteral(" 邮局 ");
        const QString before = maintenance.tables();
        maintenance.session.flags.deleteDenied = true;
        QCOMPARE(said(maintenance.service.cancel(loaded, form, prompter)),
                 QStringLiteral("Admin|您没有删除记录权限！"));
        maintenance.session.flags.deleteDenied = false;
        StorageForm wrong = form;
        wrong.contact.clear();
        QCOMPARE(said(maintenance.service.cancel(loaded, wrong, prompter)),
                 QStringLiteral("|请把联系人情况填写完整!"));
        prompter.answers << Prompter::Answer::Cancel << Prompter::Answer::Yes << Prompter::Answer::Yes
                         << Prompter::Answer::Yes << Prompter::Answer::Yes;
        prompter.inputs << QStringLiteral("0") << QStringLiteral("0.004") << QStringLiteral("-5")
                        << std::nullopt;
        QCOMPARE(said(maintenance.service.cancel(loaded, form, prompter)), QString());
        // Zero, less than a cent, below zero and a refund box cancelled are all told the same, nothing
        // cancelled.
        for (int attempt = 0; attempt < 4; ++attempt)
            QCOMPARE(said(maintenance.service.cancel(loaded, form, prompter)),
                     QStringLiteral("|应退金额不能为零或小于零!"));
        QCOMPARE(prompter.shown.first().caption, QStringLiteral("注销记录"));
        QCOMPARE(prompter.shown.first().icon, Prompter::Icon::Information);
        QCOMPARE(prompter.shown.first().text,
                 QStringLiteral(
                     "在注销此记录前,是否退费?\n\n选择'是',则退费后,注销此记录\n选择'否',则不退费,直接注销\n"
                     "选择'取消',则取消本次操作"));
        for (int write = 1; write <= 3; ++write) {
            maintenance.data.db().failNthWrite(write);
            prompter.answers << Prompter::Answer::Yes;
            prompter.inputs << QStringLiteral("300.5元");
            QVERIFY_THROWS_EXCEPTION(DatabaseError, maintenance.service.cancel(loaded, form, prompter));
            QCOMPARE(maintenance.tables(), before);
        }
        maintenance.data.db().failNthWrite(0);

        prompter.answers << Prompter::Answer::Yes;
        prompter.inputs << QStringLiteral("300.504元");
        const SaveOutcome outcome = maintenance.service.cancel(loaded, form, prompter);
        QCOMPARE(said(outcome), QStringLiteral("|注销成功!"));
        QCOMPARE(maintenance.data.dumpWithoutKey(QStringLiteral("jc_tf")),
                 QStringLiteral("福寿厅1室0002号|陈小二|邮局|300.5|Admin|2026-12-06 09:30:00"));
        QCOMPARE(tails(outcome.prints), texts({"jc_tf|jc_tf$#SELECT * FROM JC_TF WHERE rid=1"}));
        QCOMPARE(maintenance.data.db().texts(QStringLiteral("SELECT 存放位置 FROM ghjc_dj"), {},
                                             QStringLiteral("test read")),
                 texts({"福寿厅北1室0002号"}));
        QCOMPARE(maintenance.data.db().texts(
                     QStringLiteral("SELECT 厅 || 状态 FROM ghjc_wz WHERE 号 = '0002' ORDER BY rid"), {},
                     QStringLiteral("test read")),
                 texts({"福寿厅未使用", "福寿厅北已使用"}));
        QCOMPARE(maintenance.data.count(QStringLiteral("ghjc_xf1")), 1);
        QCOMPARE(maintenance.data.count(QStringLiteral("jc_bwl")), 1);

        // A second click on the closed storage writes no second refund.
        const QString cancelled = maintenance.tables();
        prompter.answers << Prompter::Answer::Yes;
        prompter.inputs << QStringLiteral("300.5");
        QCOMPARE(said(maintenance.service.cancel(loaded, form, prompter)),
                 QStringLiteral("提示|此寄存记录已经不在了，可能已被注销！"));
        QCOMPARE(maintenance.tables(), cancelled);

        // Without a refund: the other hall's niche, failing at each write, then done without a refund row.
        LoadedStorage other = maintenance.load("福寿厅北1室0002号");
        maintenance.data.sql(QStringLiteral("UPDATE ghjc_wz SET 状态 = '未使用' WHERE 厅 = '福寿厅北'"));
        prompter.answers << Prompter::Answer::No;
        QCOMPARE(said(maintenance.service.cancel(other, other.form, prompter)),
                 QStringLiteral("提示|寄存位“福寿厅北1室0002号”现在是“未使用”，不能注销！"));
        maintenance.data.sql(QStringLiteral("UPDATE ghjc_wz SET 状态 = '已使用' WHERE 厅 = '福寿厅北'"));
        for (int write = 1; write <= 2; ++write) {
            maintenance.data.db().failNthWrite(write);
            prompter.answers << Prompter::Answer::No;
            QVERIFY_THROWS_EXCEPTION(DatabaseError, maintenance.service.cancel(other, other.form, prompter));
            QCOMPARE(maintenance.tables(), cancelled);
        }
        maintenance.data.db().failNthWrite(0);
        prompter.answers << Prompter::Answer::No;
        const SaveOutcome plain = maintenance.service.cancel(other, other.form, prompter);
        QCOMPARE(said(plain), QStringLiteral("|注销成功!"));
        QVERIFY(plain.prints.isEmpty());
        QCOMPARE(maintenance.data.count(QStringLiteral("ghjc_dj")), 0);
        QCOMPARE(maintenance.data.count(QStringLiteral("jc_tf")), 1);
        QCOMPARE(maintenance.data.count(QStringLiteral("ghjc_wz"), QStringLiteral("状态 = '已使用'")), 1);
        prompter.answers << Prompter::Answer::No;
        QVERIFY(!maintenance.service.cancel(other, other.form, prompter).saved);
    }
};

QTEST_GUILESS_MAIN(StorageMaintenanceTest)
#include "tst_storagemaintenance.moc"
