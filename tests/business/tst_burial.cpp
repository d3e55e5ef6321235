#include "business/burialrecordsservice.h"
#include "business/burialservice.h"
#include "business/renewalservice.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

const QString plot = QStringLiteral("甲区1排0001号");

// Plot 0001 is sold with its purchase row (nobody buried yet), its "购墓" fee row and a renewal row.
// Beside it, 乙区1排0001号 has a 张三 buried already, so every lookup by plot is seen to keep to its plot.
struct Office {
    TestData data;
    Session session;
    FixedClock clock{testNow()};

    Office() {
        session.operatorName = QStringLiteral("Admin");
        data.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 状态) VALUES ('甲区', '1', '0001', "
                                "'双人墓', '已购'), ('乙区', '1', '0001', '双人墓', '已购')"));
        data.sql(
            QStringLiteral("INSERT INTO gm_dj (编号, 墓碑位置, 购墓日期, 日期起, 日期止, 联系人, 操作员) "
                           "VALUES (7, '甲区1排0001号', '2026-01-02', '2026-01-03', '2046-01-03', '王五', "
                           "'Admin')"));
        data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 日期起, 日期止, 联系人, 故者姓名, 性别) VALUES "
                                "('乙区1排0001号', '2020-01-01', '2040-01-01', '赵一', '张三', '男')"));
        data.sql(QStringLiteral("INSERT INTO gm_xr (墓碑位置, 故者姓名A, 性别A, 故者姓名B) VALUES "
                                "('乙区1排0001号', '张三', '男', '')"));
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (墓碑位置, 操作方式, 安葬日期, 故者姓名) VALUES "
                                "('甲区1排0001号', '加续费', '', NULL), ('甲区1排0001号', '购墓', '', NULL), "
                                "('乙区1排0001号', '购墓', '2020-01-05', '张三')"));
    }
    BurialService burial() { return BurialService({data.db(), session, clock}); }
    // The burial window opened now on the plot, with a new use period, stones and the deceased typed.
    BurialForm burialOf(const DeceasedForm& deceased) {
        return {QString(u' ' + plot + u' '),
                QStringLiteral("7"),
                QDate(2026, 1, 2),
                QDate(2026, 2, 3),
                QDate(2046, 2, 3),
                QStringLiteral(" 立碑 "),
                QStringLiteral(" 青石 "),
                QStringLiteral(" 黑石 "),
                deceased,
                burial().registration(plot).value_or(PlotRegistration{})};
    }
    BurialRecordsService records() { return BurialRecordsService({data.db(), session, clock}); }
    // The register row `rid` as the records window loads it now.
    DeceasedRecord record(qint64 rid) {
        for (const DeceasedRecord& loaded : records().records(plot))
            if (loaded.rid == rid)
                return loaded;
        return DeceasedRecord{rid, {}, {}};
    }
    QString dumpAll() {
        return data.dump(QStringLiteral("gm_dj")) + u'#' + data.dump(QStringLiteral("gm_xr")) + u'#' +
               data.dump(QStringLiteral("gm_xf1"));
    }
    // The name slots and the names and burial date of the purchase fee rows.
    QString names() {
        return data.dump(QStringLiteral("gm_xr")) + u'#' +
               data.db()
                   .texts(
                       QStringLiteral("SELECT 墓碑位置 || ':' || COALESCE(故者姓名, '-') || ':' || 安葬日期 "
                                      "FROM gm_xf1 WHERE 操作方式 = '购墓' ORDER BY id"),
                       {}, {})
                   .join(u';');
    }
    qint64 ridOf(const QString& name) {
        return data
            .value(QStringLiteral("SELECT rid FROM gm_dj WHERE 墓碑位置 = ? AND 故者姓名 = ?"), {plot, name})
            .toLongLong();
    }
};

DeceasedForm person(const QString& name, const QString& sex, const QDate& buried = QDate(2026, 12, 8)) {
    return {name,
            sex,
            QStringLiteral(" 江苏 "),
            QStringLiteral(" 机械厂 "),
            QDate(1940, 3, 4),
            QDate(2026, 12, 1),
            buried,
            QStringLiteral(" 王五 "),
            QStringLiteral(" 儿子 "),
            QStringLiteral(" 纺织厂 "),
            QStringLiteral(" 东街3号 "),
            QStringLiteral(" 5551234 "),
            QStringLiteral(" 320101 "),
            QStringLiteral(" 139 "),
            QStringLiteral(" 安详 "),
            QStringLiteral(" Z-9 ")};
}

QStringList tails(const SaveOutcome& outcome) {
    QStringList tails;
    for (const PrintJob& job : outcome.prints)
        tails << PrintBridge::commandTail(job);
    return tails;
}

} // namespace

class BurialTest : public QObject {
    Q_OBJECT

private slots:
    // The refusals before anything is written, each on its own, in the office's order.
    void registrationRefusesInOrder() {
        Office office;
        const QString before = office.dumpAll();
        BurialForm form = office.burialOf(person(QStringLiteral("张三"), QStringLiteral("男")));
        const auto refusal = [&] { return office.burial().save(form).message->text; };

        office.session.flags.addDenied = true;
        QCOMPARE(refusal(), QStringLiteral("您没有添加记录的权限！"));
        office.session.flags.addDenied = false;
        form.useFrom = form.useUntil.addDays(1);
        QCOMPARE(refusal(), QStringLiteral("使用日期起始错误！"));
        form.useFrom = form.useUntil;
        form.person.sex = QStringLiteral(" ");
        QCOMPARE(refusal(), QStringLiteral("故者姓名、性别每项不能为空！"));
        form.person.sex = QStringLiteral("男");
        form.person.buried = form.person.died.addDays(-1);
        QCOMPARE(refusal(), QStringLiteral("故者情况日期错误！"));
        form.person.buried = form.person.died;
        form.person.born = office.clock.today().addDays(1);
        QCOMPARE(refusal(), QStringLiteral("故者情况日期错误！"));
        form.person.born = QDate(1940, 3, 4);
        form.person.contact = QStringLiteral(" ");
        QCOMPARE(refusal(), QStringLiteral("联系人姓名每项不能为空！"));
        QCOMPARE(office.dumpAll(), before);
    }

    // Register, register again, a duplicate, rename, deregister and re-register: the register rows,
    // the name slots and the fee row's name list move together, and the plot beside stays as it was.
    void namesFollowTheRegister() {
        Office office;
        // The first burial completes the purchase row; a burial date still to come is accepted.
        SaveOutcome outcome =
            office.burial().save(office.burialOf(person(QStringLiteral(" 李四 "), QStringLiteral("男"))));
        QVERIFY(outcome.saved);
        QCOMPARE(outcome.message->text, QStringLiteral("输入成功"));
        QCOMPARE(
            office.data.dump(QStringLiteral("gm_dj")).section(u'\n', 0, 0),
            QStringLiteral("1|7|甲区1排0001号|2026-01-02|2026-02-03|2046-02-03|王五|320101|纺织厂|东街3号|"
                           "5551234|139|Admin||立碑|青石|黑石|李四|男|江苏|机械厂|1940-03-04|2026-12-01|"
                           "2026-12-08|儿子| 安详 |Z-9"));
        QCOMPARE(office.names(),
                 QStringLiteral("1|乙区1排0001号|张三|男||||||\n2|甲区1排0001号|李四|男||||||#"
                                "甲区1排0001号:李四:2026-12-08;乙区1排0001号:张三:2020-01-05"));

        // A second burial appends a row and a name, and keeps the first burial's date.
        outcome = office.burial().save(
            office.burialOf(person(QStringLiteral("张三"), QStringLiteral("女"), QDate(2026, 12, 9))));
        QVERIFY(outcome.saved);
        QCOMPARE(office.data.count(QStringLiteral("gm_dj"), QStringLiteral("墓碑位置 = ?"), {plot}), 2);
        QCOMPARE(
            office.data.value(QStringLiteral("SELECT 购墓日期 || 编号 FROM gm_dj WHERE rid = 3")).toString(),
            QStringLiteral("2026-01-027"));
        QCOMPARE(office.names().section(u'#', 1),
                 QStringLiteral("甲区1排0001号:李四,张三:2026-12-08;乙区1排0001号:张三:2020-01-05"));
        const QString twoBuried = office.dumpAll();
        outcome = office.burial().save(office.burialOf(person(QStringLiteral("张三"), QStringLiteral("女"))));
        QCOMPARE(outcome.message->text, QStringLiteral("此人已存在记录中,请重新填写！"));
        QCOMPARE(outcome.focus, QStringLiteral("Mask1"));

        // Renaming to a name already on the plot is refused; a rename moves slot and list along.
        DeceasedForm renamed = person(QStringLiteral("李四"), QStringLiteral("女"));
        QCOMPARE(office.records().save(plot, office.record(3), renamed).message->text,
                 QStringLiteral("此人已存在记录中,请重新填写！"));
        QCOMPARE(office.dumpAll(), twoBuried);
        renamed.name = QStringLiteral(" 王梅 ");
        QVERIFY(office.records().save(plot, office.record(3), renamed).saved);
        QCOMPARE(office.names().section(u'\n', 1),
                 QStringLiteral("2|甲区1排0001号|李四|男|王梅|女||||#"
                                "甲区1排0001号:李四,王梅:2026-12-08;乙区1排0001号:张三:2020-01-05"));

        // Deregistering one of two deletes its row and frees its slot; the next burial takes that slot.
        QVERIFY(office.records().deregister(plot, 1, [] { return true; }).saved);
        QCOMPARE(office.records().records(plot).size(), 1);
        QVERIFY(office.burial()
                    .save(office.burialOf(person(QStringLiteral("赵六"), QStringLiteral("男"))))
                    .saved);
        QCOMPARE(office.names().section(u'\n', 1),
                 QStringLiteral("2|甲区1排0001号|赵六|男|王梅|女||||#"
                                "甲区1排0001号:王梅,赵六:2026-12-08;乙区1排0001号:张三:2020-01-05"));

        // The last deceased leaves the purchase row with its contact, and the fee row without a burial.
        QVERIFY(office.records()
                    .deregister(plot, office.ridOf(QStringLiteral("王梅")), [] { return true; })
                    .saved);
        QVERIFY(office.records()
                    .deregister(plot, office.ridOf(QStringLiteral("赵六")), [] { return true; })
                    .saved);
        QCOMPARE(office.data
                     .value(QStringLiteral("SELECT COALESCE(故者姓名, '-') || COALESCE(性别, '-') || "
                                           "COALESCE(落葬日期, '-') || COALESCE(关系, '-') || 联系人 || "
                                           "证书编号 FROM gm_dj WHERE 墓碑位置 = ?"),
                            {plot})
                     .toString(),
                 QStringLiteral("----王五Z-9"));
        QCOMPARE(office.names().section(u'\n', 1),
                 QStringLiteral("2|甲区1排0001号||||||||#甲区1排0001号:-:;乙区1排0001号:张三:2020-01-05"));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj"), QStringLiteral("墓碑位置 = '乙区1排0001号'")), 1);
    }

    // Two desks correcting one register row from windows opened on the same values: each field goes in
    // where its own operator changed it; a field both changed is refused to the later one, with nothing
    // written.
    void aRecordCorrectionNeverWritesOverAColleague() {
        Office office;
        QVERIFY(office.burial()
                    .save(office.burialOf(person(QStringLiteral("李四"), QStringLiteral("男"))))
                    .saved);
        Database otherDesk(office.data.db().target(), Database::Mode::Open);
        BurialRecordsService colleague({otherDesk, office.session, office.clock});
        const DeceasedRecord seenHere = office.record(1);
        const DeceasedRecord seenThere = colleague.records(plot).first();

        DeceasedForm theirs = seenThere.person;
        theirs.phone = QStringLiteral("5559999");
        theirs.remark = QStringLiteral("已迁入");
        QVERIFY(colleague.save(plot, seenThere, theirs).saved);
        DeceasedForm mine = seenHere.person;
        mine.address = QStringLiteral(" 南街8号 ");
        mine.died = QDate(2026, 11, 30);
        QVERIFY(office.records().save(plot, seenHere, mine).saved);
        QCOMPARE(office.data
                     .value(QStringLiteral(
                         "SELECT 家庭住址 || '|' || 联系电话 || '|' || 备注 || '|' || 逝世日期 || "
                         "'|' || 联系人 FROM gm_dj WHERE rid = 1"))
                     .toString(),
                 QStringLiteral("南街8号|5559999|已迁入|2026-11-30|王五"));

        const QString before = office.dumpAll();
        mine.phone = QStringLiteral("5550000");
        const SaveOutcome refusal = office.records().save(plot, seenHere, mine);
        QVERIFY(!refusal.saved);
        QCOMPARE(refusal.message->text, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(office.dumpAll(), before);
        // A rename over a colleague's is refused too, and the name slots stay with the register.
        theirs = colleague.records(plot).first().person;
        theirs.name = QStringLiteral("李思");
        QVERIFY(colleague.save(plot, colleague.records(plot).first(), theirs).saved);
        const QString renamed = office.dumpAll();
        mine = seenHere.person;
        mine.name = QStringLiteral("李斯");
        QCOMPARE(office.records().save(plot, seenHere, mine).message->text,
                 text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(office.dumpAll(), renamed);
        QCOMPARE(office.names().section(u'\n', 1, 1),
                 QStringLiteral("2|甲区1排0001号|李思|男||||||#"
                                "甲区1排0001号:李思:2026-12-08;乙区1排0001号:张三:2020-01-05"));
    }

    // The records window's own refusals, and a "no" to the question writes nothing.
    void recordsRefuseWithoutWriting() {
        Office office;
        QVERIFY(office.burial()
                    .save(office.burialOf(person(QStringLiteral("李四"), QStringLiteral("男"))))
                    .saved);
        const QString before = office.dumpAll();
        DeceasedForm form = person(QStringLiteral("李四"), QStringLiteral("男"));
        const auto refusal = [&] {
            return office.records().save(plot, office.record(1), form).message->text;
        };
        office.session.flags.modifyDenied = true;
        QCOMPARE(refusal(), QStringLiteral("您没有修改记录的权限！"));
        office.session.flags.modifyDenied = false;
        form.name = QStringLiteral(" ");
        QCOMPARE(refusal(), QStringLiteral("故者情况每项不能为空！"));
        form.name = QStringLiteral("李四");
        form.died = form.born.addDays(-1);
        QCOMPARE(refusal(), QStringLiteral("故者情况日期错误！"));
        form.died = QDate(2026, 12, 1);
        form.contact.clear();
        QCOMPARE(refusal(), QStringLiteral("联系人情况每项不能为空！"));
        form.contact = QStringLiteral("王五");
        form.remark = QStringLiteral(" ");
        QCOMPARE(refusal(), QStringLiteral("备注不能为空！"));

        office.session.flags.deleteDenied = true;
        bool asked = false;
        const auto no = [&asked] { return asked = true, false; };
        QCOMPARE(office.records().deregister(plot, 1, no).message->text,
                 QStringLiteral("您没有删除记录的权限！"));
        QVERIFY(!asked);
        office.session.flags.deleteDenied = false;
        QVERIFY(!office.records().deregister(plot, 1, no).saved);
        QVERIFY(asked);
        // The other plot's row cannot be reached through this plot.
        QVERIFY(!office.records().deregister(plot, 2, [] { return true; }).saved);
        QCOMPARE(office.dumpAll(), before);
    }

    // 更改使用日期 moves every register row of the plot, and only of that plot.
    void useDatesChangeOnEveryRow() {
        Office office;
        office.data.sql(QStringLiteral("INSERT INTO gm_dj (墓碑位置, 日期起, 日期止, 故者姓名) VALUES "
                                       "('甲区1排0001号', '2026-01-03', '2046-01-03', '李四')"));
        const QString before = office.dumpAll();
        office.session.flags.modifyDenied = true;
        QCOMPARE(office.burial()
                     .changeUseDates(plot, QDate(2026, 1, 3), QDate(2046, 1, 3), QDate(2026, 5, 1),
                                     QDate(2046, 5, 1))
                     .message->text,
                 QStringLiteral("您没有修改记录的权限！"));
        office.session.flags.modifyDenied = false;
        QCOMPARE(office.burial()
                     .changeUseDates(plot, QDate(2026, 1, 3), QDate(2046, 1, 3), QDate(2046, 5, 2),
                                     QDate(2046, 5, 1))
                     .message->text,
                 QStringLiteral("使用日期起始错误！"));
        QCOMPARE(office.dumpAll(), before);

        const SaveOutcome outcome = office.burial().changeUseDates(plot, QDate(2026, 1, 3), QDate(2046, 1, 3),
                                                                   QDate(2026, 5, 1), QDate(2026, 5, 1));
        QCOMPARE(outcome.message->text, QStringLiteral("更改成功!"));
        QCOMPARE(office.data.db()
                     .texts(QStringLiteral("SELECT 日期起 || '~' || 日期止 FROM gm_dj ORDER BY rid"), {}, {})
                     .join(u';'),
                 QStringLiteral("2026-05-01~2026-05-01;2020-01-01~2040-01-01;2026-05-01~2026-05-01"));
    }

    // A renewal at another desk after the burial window opened: the burial keeps the renewed end (the
    // register agrees with the renewal's fee row), a further burial's row takes it too, and an end typed
    // over the stale one is refused with nothing written.
    void aBurialNeverWritesBackTheEndOfUseItLoaded() {
        Office office;
        Database otherDesk(office.data.db().target(), Database::Mode::Open);
        const auto renewTo = [&](const QDate& until) {
            RenewalForm renewal{plot,
                                until,
                                QStringLiteral("王五"),
                                QStringLiteral("纺织厂"),
                                QStringLiteral("300.125"),
                                QString(),
                                QString(),
                                QStringLiteral("续期")};
            QVERIFY(RenewalService({otherDesk, office.session, office.clock}).save(renewal).saved);
        };
        const auto untouched = [&](const DeceasedForm& deceased) {
            BurialForm form = office.burialOf(deceased);
            form.useFrom = form.loaded.useFrom;
            form.useUntil = form.loaded.useUntil;
            return form;
        };
        const auto periods = [&] {
            return office.data.db()
                .texts(QStringLiteral(
                           "SELECT 日期起 || '~' || 日期止 FROM gm_dj WHERE 墓碑位置 = ? ORDER BY rid"),
                       {plot}, {})
                .join(u';');
        };

        BurialForm typedOver = office.burialOf(person(QStringLiteral("李四"), QStringLiteral("男")));
        typedOver.useFrom = typedOver.loaded.useFrom;
        typedOver.useUntil = QDate(2050, 1, 3);
        const BurialForm first = untouched(person(QStringLiteral("李四"), QStringLiteral("男")));
        renewTo(QDate(2066, 1, 3));
        const QString renewed = office.dumpAll();
        const SaveOutcome refusal = office.burial().save(typedOver);
        QVERIFY(!refusal.saved);
        QCOMPARE(refusal.message->text, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(office.dumpAll(), renewed);

        QVERIFY(office.burial().save(first).saved);
        QCOMPARE(periods(), QStringLiteral("2026-01-03~2066-01-03"));
        QCOMPARE(
            office.data
                .value(QStringLiteral("SELECT 故者姓名 || 联系人 || 墓碑类型 FROM gm_dj WHERE 墓碑位置 = ?"),
                       {plot})
                .toString(),
            QStringLiteral("李四王五立碑"));
        QCOMPARE(
            office.data
                .value(QStringLiteral("SELECT 日期止 FROM gm_xf1 WHERE 操作方式 = '加续费' AND 日期止 <> ''"))
                .toString(),
            QStringLiteral("2066-01-03"));

        const BurialForm second = untouched(person(QStringLiteral("张梅"), QStringLiteral("女")));
        renewTo(QDate(2086, 1, 3));
        QVERIFY(office.burial().save(second).saved);
        QCOMPARE(periods(), QStringLiteral("2026-01-03~2086-01-03;2026-01-03~2086-01-03"));
        QCOMPARE(office.data.count(QStringLiteral("gm_dj"),
                                   QStringLiteral("墓碑位置 = '乙区1排0001号' AND 日期止 = '2040-01-01'")),
                 1);
    }

    // 更改使用日期 from a window opened before a renewal is refused; a period left as loaded writes nothing.
    void useDatesAreNotChangedOverARenewal() {
        Office office;
        office.data.sql(QStringLiteral("UPDATE gm_dj SET 日期止 = '2066-01-03' WHERE 墓碑位置 = ?"), {plot});
        const QString renewed = office.dumpAll();
        const SaveOutcome refusal = office.burial().changeUseDates(plot, QDate(2026, 1, 3), QDate(2046, 1, 3),
                                                                   QDate(2026, 1, 3), QDate(2056, 1, 3));
        QCOMPARE(refusal.message->text, text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QVERIFY(office.burial()
                    .changeUseDates(plot, QDate(2026, 1, 3), QDate(2046, 1, 3), QDate(2026, 1, 3),
                                    QDate(2046, 1, 3))
                    .saved);
        QCOMPARE(office.dumpAll(), renewed);
        // A changed start alone leaves the renewed end.
        QVERIFY(office.burial()
                    .changeUseDates(plot, QDate(2026, 1, 3), QDate(2046, 1, 3), QDate(2026, 1, 9),
                                    QDate(2046, 1, 3))
                    .saved);
        QCOMPARE(
            office.data
                .value(QStringLiteral("SELECT 日期起 || '~' || 日期止 FROM gm_dj WHERE 墓碑位置 = ?"), {plot})
                .toString(),
            QStringLiteral("2026-01-09~2066-01-03"));
    }

    // A plot returned while the window was open takes no burial and no new dates; a plot whose
    // purchase fee row is gone still takes the burial, its slots and register row.
    void onlyASoldPlotTakesABurial() {
        Office office;
        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '未使用' WHERE 墓区 = '甲区'"));
        const QString before = office.dumpAll();
        const SaveOutcome outcome =
            office.burial().save(office.burialOf(person(QStringLiteral("李四"), QStringLiteral("男"))));
        QVERIFY(!outcome.saved);
        QVERIFY(outcome.message->text.contains(QStringLiteral("不能落葬")));
        QVERIFY(!office.burial()
                     .changeUseDates(plot, QDate(2026, 1, 3), QDate(2046, 1, 3), QDate(2026, 5, 1),
                                     QDate(2046, 5, 1))
                     .saved);
        QCOMPARE(office.dumpAll(), before);

        office.data.sql(QStringLiteral("UPDATE mq_wz SET 状态 = '已购'"));
        office.data.sql(QStringLiteral("DELETE FROM gm_xf1 WHERE 墓碑位置 = ? AND 操作方式 = '购墓'"),
                        {plot});
        QVERIFY(office.burial()
                    .save(office.burialOf(person(QStringLiteral("李四"), QStringLiteral("男"))))
                    .saved);
        QCOMPARE(office.ridOf(QStringLiteral("李四")), 1);
        QCOMPARE(office.data.count(QStringLiteral("gm_xr"), QStringLiteral("故者姓名A = '李四'")), 1);
    }

    // A failure at any write of a registration, a rename or a deregistration leaves every table as it was.
    void aFailedWriteLeavesNothing() {
        Office office;
        QVERIFY(office.burial()
                    .save(office.burialOf(person(QStringLiteral("李四"), QStringLiteral("男"))))
                    .saved);
        const QList<std::function<SaveOutcome()>> actions = {
            [&] {
                return office.burial().save(
                    office.burialOf(person(QStringLiteral("张三"), QStringLiteral("女"))));
            },
            [&] {
                return office.records().save(plot, office.record(1),
                                             person(QStringLiteral("王梅"), QStringLiteral("女")));
            },
            [&] { return office.records().deregister(plot, 1, [] { return true; }); },
            [&] {
                return office.burial().changeUseDates(plot, QDate(2026, 2, 3), QDate(2046, 2, 3),
                                                      QDate(2026, 5, 1), QDate(2046, 5, 1));
            }};
        for (const auto& action : actions) {
            const QString before = office.dumpAll();
            // Each write in turn fails, until the action has fewer writes than that and goes through.
            int failing = 1;
            for (;; ++failing) {
                office.data.db().failNthWrite(failing);
                try {
                    QVERIFY(action().saved);
                    break;
                } catch (const DatabaseError&) {
                    QCOMPARE(office.dumpAll(), before);
                }
            }
            office.data.db().failNthWrite(0);
            QVERIFY(failing > 1);
        }
    }

    // The certificate by the deceased's sex, "g" passed with its nine characters, all by the row written.
    void printsSelectTheirRowById() {
        Office office;
        const SaveOutcome man =
            office.burial().save(office.burialOf(person(QStringLiteral("李四"), QStringLiteral("男"))));
        const SaveOutcome woman =
            office.burial().save(office.burialOf(person(QStringLiteral("张三"), QStringLiteral("女"))));
        const QString contactSheet =
            QStringLiteral("lxr       $#select * from gm_dj where 墓碑位置='甲区1排0001号'");
        QCOMPARE(tails(man),
                 QStringList({QStringLiteral("gz        $#select * from gm_dj where rid=1"), contactSheet,
                              QStringLiteral("dj        $#select * from gm_dj where rid=1")}));
        QCOMPARE(tails(woman),
                 QStringList({QStringLiteral("g        $#select * from gm_dj where rid=3"), contactSheet,
                              QStringLiteral("dj        $#select * from gm_dj where rid=3")}));
        QCOMPARE(*woman.prints.first().listName, QStringLiteral("g"));
        const SaveOutcome renamed = office.records().save(
            plot, office.record(3), person(QStringLiteral("王梅"), QStringLiteral("女")));
        QCOMPARE(tails(renamed), tails(woman));
    }
};

QTEST_GUILESS_MAIN(BurialTest)
#include "tst_burial.moc"
