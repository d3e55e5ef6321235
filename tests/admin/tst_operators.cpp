#include "admin/operatorservice.h"
#include "admin/purgeservice.h"
#include "admin/referencelist.h"
#include "admin/rightseditor.h"
#include "foundation/passwordhash.h"
#include "shared/loginservice.h"
#include "shared/rights.h"
#include "support/testsupport.h"

#include <QTest>

class OperatorsTest : public QObject {
    Q_OBJECT

private slots:
    // Admin's rights must not live on in the session of an operator who was granted nothing yet.
    void aNewOperatorLogsInWithNothingGrantedAfterAdmin() {
        TestData data;
        Session admin;
        admin.operatorName = QStringLiteral("Admin");
        ScriptedPrompter prompter;
        OperatorService service(data.db(), admin, prompter);
        // Typed twice differently, nothing is written and nothing said.
        QVERIFY(!service.add({text("王会计"), QStringLiteral("pw1"), QStringLiteral("pw2"), text("操作员")})
                     .saved);
        QCOMPARE(data.count(QStringLiteral("czy")), 1);
        QVERIFY(
            service.add({text(" 王会计 "), QStringLiteral(" pw1"), QStringLiteral("pw1 "), text("操作员")})
                .saved);
        QVERIFY(prompter.shown.isEmpty());
        const QString stored = data.value(text("SELECT 口令 FROM czy WHERE 操作员 = '王会计'")).toString();
        QVERIFY(stored != QStringLiteral("pw1") && PasswordHash::matches(stored, QStringLiteral("pw1")));
        QCOMPARE(data.value(text("SELECT 级别 FROM czy WHERE 操作员 = '王会计'")).toString(), text("操作员"));

        Session session;
        LoginService login(data.db(), session);
        login.pick(QStringLiteral("Admin"));
        QVERIFY(login.logIn(QStringLiteral("Admin"), PasswordHash::shippedPassword()));
        QVERIFY(Rights::checkItem(session, Item::SystemMaintenance));
        login.pick(text("王会计"));
        QVERIFY(login.logIn(text("王会计"), QStringLiteral("pw1")));
        QCOMPARE(session.permissionString, QString(40, QLatin1Char('0')));
        QCOMPARE(session.reportList, QString());
        for (int item = 1; item <= Item::Count; ++item)
            QVERIFY2(!Rights::checkItem(session, item), qPrintable(QString::number(item)));
        QVERIFY(!Rights::reportListAllows(session.reportList, QStringLiteral("gm")));

        // Only Admin adds operators.
        OperatorService byOther(data.db(), session, prompter);
        const SaveOutcome refused =
            byOther.add({text("李出纳"), QStringLiteral("x"), QStringLiteral("x"), QString()});
        QCOMPARE(refused.message->text, text("系统管理员Admin才有此权限！"));
        QCOMPARE(data.count(QStringLiteral("czy")), 2);
    }

    // Two desks editing one operator's rights from editors opened on the same texts: a text changed
    // at the other desk refuses this desk's step and keeps the other's; the other text (the report list
    // beside the permission string) changed meanwhile stays when this one is written; the operator of
    // the same name at the start of another's name is never touched.
    void aRightsEditorNeverWritesOverAColleague() {
        TestData data;
        const QString granted3 = PermissionText::granted(QString(), 3);
        data.addOperator(text("王会计"), QStringLiteral("x"), text("操作员"), granted3,
                         QStringLiteral(",gm,"));
        data.addOperator(text("王会计二"), QStringLiteral("x"), text("操作员"), granted3,
                         QStringLiteral(",gm,"));
        Database otherDesk(data.db().target(), Database::Mode::Open);
        RightsEditorService permissionsHere(data.db(), QStringLiteral("权限字符"));
        RightsEditorService permissionsThere(otherDesk, QStringLiteral("权限字符"));
        RightsEditorService reportsThere(otherDesk, QStringLiteral("打印报表"));
        const QString name = text("王会计");
        const QString seenHere = permissionsHere.text(name);
        const QString seenThere = permissionsThere.text(name);
        const auto row = [&](const QString& who) {
            return data.value(text("SELECT 权限字符 || '/' || 打印报表 FROM czy WHERE 操作员 = ?"), {who})
                .toString();
        };
        const QString beside = row(text("王会计二"));

        QCOMPARE(permissionsThere.save(name, seenThere, PermissionText::granted(seenThere, 5)),
                 GuardedUpdate::Result::Written);
        QCOMPARE(permissionsHere.save(name, seenHere, PermissionText::granted(seenHere, 7)),
                 GuardedUpdate::Result::Stale);
        QCOMPARE(row(name), PermissionText::granted(granted3, 5) + QStringLiteral("/,gm,"));

        const QString reloaded = permissionsHere.text(name);
        QCOMPARE(reportsThere.save(name, QStringLiteral(",gm,"), QStringLiteral(",gm,,dj,")),
                 GuardedUpdate::Result::Written);
        QCOMPARE(permissionsHere.save(name, reloaded, PermissionText::revoked(reloaded, 3)),
                 GuardedUpdate::Result::Written);
        QCOMPARE(row(name), PermissionText::granted(QString(), 5) + QStringLiteral("/,gm,,dj,"));
        QCOMPARE(permissionsHere.save(name, PermissionText::granted(QString(), 5),
                                      PermissionText::granted(QString(), 5)),
                 GuardedUpdate::Result::NothingChanged);
        QCOMPARE(row(text("王会计二")), beside);

        data.sql(text("DELETE FROM czy WHERE 操作员 = '王会计'"));
        QCOMPARE(permissionsHere.save(name, reloaded, granted3), GuardedUpdate::Result::Gone);
        QCOMPARE(row(text("王会计二")), beside);
    }

    // The code is checked again on save: leaving the box is not the only way to the button.
    void aDuplicateCodeIsRefusedOnSave() {
        TestData data;
        data.addOperator(text("王会计"), QStringLiteral("x"), text("操作员"), QString());
        Session admin;
        admin.operatorName = QStringLiteral("Admin");
        ScriptedPrompter prompter;
        OperatorService service(data.db(), admin, prompter);
        const QString before = data.dump(QStringLiteral("czy"));
        const SaveOutcome outcome =
            service.add({text("王会计 "), QStringLiteral("y"), QStringLiteral("y"), text("系统员")});
        QVERIFY(!outcome.saved);
        QCOMPARE(outcome.message->text, text("此管理员已存在！"));
        QCOMPARE(outcome.message->icon, Prompter::Icon::Exclamation);
        QCOMPARE(outcome.message->caption, QString());
        QCOMPARE(outcome.clear, QStringLiteral("Text1"));
        QCOMPARE(outcome.focus, QStringLiteral("Text1"));
        QCOMPARE(data.dump(QStringLiteral("czy")), before);
        QVERIFY(service.checkNewCode(text("王会计二")).saved);
    }

    void marksRemovalAndPasswords() {
        TestData data;
        for (const char* name : {"赵六", "钱七"})
            data.addOperator(text(name), QStringLiteral("old"), text("操作员"), QString());
        Session session;
        session.operatorName = QStringLiteral("Admin");
        ScriptedPrompter prompter;
        OperatorService service(data.db(), session, prompter);

        // Each mark goes into its own column; 钱七 beside him keeps his.
        const RightMarks shown = service.marks(text("赵六"));
        QCOMPARE(service.saveMarks(text("赵六"), shown, {true, false, true, false, false}).message->text,
                 text("修改权限完成！"));
        QSqlQuery stored =
            data.db().exec(text("SELECT 系统管理, 记录添加, 记录修改, 记录删除, 记录打印 FROM czy "
                                "WHERE 操作员 = '赵六'"),
                           {}, QStringLiteral("test"));
        QVERIFY(stored.next());
        QString columns;
        for (int column = 0; column < 5; ++column)
            columns += stored.value(column).toString();
        QCOMPARE(columns, QStringLiteral("01011"));
        const RightMarks read = service.marks(text("赵六"));
        QVERIFY(read.system && !read.add && read.modify && !read.remove && !read.print);
        QVERIFY(service.marks(text("钱七")).add);
        // From the marks shown before the print mark was changed meanwhile: nothing changed writes
        // nothing; a change of that mark is refused; a change of another mark keeps it.
        data.sql(text("UPDATE czy SET 记录打印 = 0 WHERE 操作员 = '赵六'"));
        const RightMarks before = {true, false, true, false, false};
        const QString unchanged = data.dump(QStringLiteral("czy"));
        QCOMPARE(service.saveMarks(text("赵六"), before, before).message->text, text("修改权限完成！"));
        QCOMPARE(data.dump(QStringLiteral("czy")), unchanged);
        QCOMPARE(service.saveMarks(text("赵六"), before, {true, false, true, false, true}).message->text,
                 text("此记录已被其他操作员修改，请重新打开后再修改！"));
        QCOMPARE(data.dump(QStringLiteral("czy")), unchanged);
        QCOMPARE(service.saveMarks(text("赵六"), before, {false, false, true, false, false}).message->text,
                 text("修改权限完成！"));
        QCOMPARE(data.value(text("SELECT 系统管理 * 10 + 记录打印 FROM czy WHERE 操作员 = '赵六'")).toInt(),
                 10);
        QCOMPARE(service.saveMarks(QStringLiteral("Admin"), {}, {}).message->text,
                 text("Admin为系统管理员，拥有所有权限！"));

        QCOMPARE(service.remove(QStringLiteral("Admin"), 3).message->text,
                 text("Admin为系统管理员，不能注销！"));
        prompter.answers << Prompter::Answer::No << Prompter::Answer::Yes;
        QVERIFY(!service.remove(text("钱七"), 3).saved);
        QVERIFY(service.remove(text("钱七"), 3).saved);
        QCOMPARE(service.operators(), QStringList({QStringLiteral("Admin"), text("赵六")}));

        // Only one's own password, typed the same twice.
        session.operatorName = text("赵六");
        QCOMPARE(service.refusePasswordChange(QStringLiteral("Admin"))->text, text("您只能修改自己的密码！"));
        QCOMPARE(service.saveMarks(text("赵六"), {}, {}).message->text, text("系统管理员Admin才有此权限！"));
        QVERIFY(!service.changePassword(text("赵六"), QStringLiteral("new"), QStringLiteral("neu")).saved);
        QCOMPARE(service.changePassword(text("赵六"), QStringLiteral(" new"), QStringLiteral("new "))
                     .message->text,
                 text("密码修改成功！"));
        Session next;
        LoginService login(data.db(), next);
        login.pick(text("赵六"));
        QVERIFY(login.logIn(text("赵六"), QStringLiteral("new")));
    }

    // The purge backs the office up first and names the copy, removes the rows in one transaction
    // recorded as a line per table, and gives the space back.
    void thePurgeBacksUpRemovesAllOrNothingAndShrinksTheFile() {
        TestData data;
        // Rows wide enough that their space shows in the file's size.
        const QString wide(2000, QLatin1Char('x'));
        for (const auto& [table, column] :
             {std::pair{"gm_xf1", "备注"}, {"ghjc_xf1", "联系人"}, {"mq_tm", "备注"}})
            for (const char* moment : {"2026-11-30 23:59:59", "2026-12-01 00:00:00", "2025-01-01 08:00:00"})
                for (int copy = 0; copy < 40; ++copy)
                    data.sql(QStringLiteral("INSERT INTO %1 (操作日期, %2) VALUES (?, ?)")
                                 .arg(QString::fromLatin1(table), text(column)),
                             {QString::fromLatin1(moment), wide});
        // A fee row without its moment is no row of before the date: it stays.
        data.sql(QStringLiteral("INSERT INTO gm_xf1 (备注) VALUES ('无日期')"));
        const auto dumpAll = [&]() -> QString {
            return data.dump(QStringLiteral("gm_xf1")) + data.dump(QStringLiteral("ghjc_xf1")) +
                   data.dump(QStringLiteral("mq_tm"));
        };
        const QString before = dumpAll();
        Session session;
        session.operatorName = text("赵六");
        ScriptedPrompter prompter;
        const FixedClock clock(testNow());
        PurgeService service(data.db(), session, prompter, data.folder(), clock);
        const QDate first(2026, 12, 1);
        const QList<bool> ticked = {true, false, true, false, false, false}; // ghjc_xf1 and gm_xf1
        QCOMPARE(service.purge(first, ticked).message->text, text("您没有此权限！"));
        QVERIFY(prompter.shown.isEmpty()); // refused before the question

        session.operatorName = QStringLiteral("Admin");
        prompter.answers << Prompter::Answer::No;
        QVERIFY(!service.purge(first, ticked).saved);
        QCOMPARE(prompter.shown.last().caption, text("删除记录"));
        QCOMPARE(prompter.shown.last().text,
                 text("您真的要删除这些记录吗?\n将删除 160 条记录；删除前先备份数据。"));
        QCOMPARE(dumpAll(), before);
        QVERIFY(QDir(data.folder().backupFolder()).entryList(QDir::Files).isEmpty());

        // Most of each table goes: the rows that stay are set aside and the table emptied at once, its
        // history triggers taken off meanwhile and made again. A failure at any write leaves all as it was.
        const auto kept = [&] {
            return data.db().texts(
                QStringLiteral("SELECT CAST(id AS TEXT) || '|' || COALESCE(操作日期, '') || "
                               "'|' || 备注 FROM gm_xf1 WHERE 操作日期 IS NULL OR 操作日期 >= ? "
                               "ORDER BY id"),
                {QStringLiteral("2026-12-01")}, QStringLiteral("test"));
        };
        const QStringList keptBefore = kept();
        const auto schemaOf = [&] {
            return data.db().isServer()
                       ? QStringList()
                       : data.db().texts(QStringLiteral("SELECT type || ' ' || name || ' ' || sql "
                                                        "FROM sqlite_master WHERE tbl_name IN "
                                                        "('gm_xf1', 'ghjc_xf1') ORDER BY name"),
                                         {}, QStringLiteral("test"));
        };
        const QStringList schemaBefore = schemaOf();
        const qint64 historyBefore =
            data.value(QStringLiteral("SELECT MAX(id) FROM change_history")).toLongLong();
        // The file's own size: what the log holds copied into it first.
        if (!data.db().isServer())
            data.sql(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        const qint64 sizeBefore = QFileInfo(data.db().filePath()).size();
        std::optional<SaveOutcome> purged;
        for (int failing = 1; !purged && failing < 40; ++failing) {
            prompter.answers << Prompter::Answer::Yes;
            data.db().failNthWrite(failing);
            try {
                purged = service.purge(first, ticked);
            } catch (const DatabaseError&) {
                QCOMPARE(dumpAll(), before);
                QCOMPARE(schemaOf(), schemaBefore);
            }
        }
        data.db().failNthWrite(0);
        QVERIFY(purged);
        const SaveOutcome& outcome = *purged;
        QCOMPARE(kept(), keptBefore);
        QCOMPARE(schemaOf(), schemaBefore);
        const QString backup =
            QDir(data.folder().backupFolder()).filePath(text("删除收费记录前的备份-2026-12-06-093000.dat"));
        QCOMPARE(outcome.message->text,
                 text("删除完毕!\n共删除 160 条记录。\n删除前的数据已备份到：") + backup);
        QCOMPARE(data.count(QStringLiteral("gm_xf1")), 41);
        QCOMPARE(data.count(QStringLiteral("gm_xf1"), text("操作日期 = '2026-12-01 00:00:00'")), 40);
        QCOMPARE(data.count(QStringLiteral("ghjc_xf1")), 40);
        QCOMPARE(data.count(QStringLiteral("mq_tm")), 120);
        QCOMPARE(data.db()
                     .texts(QStringLiteral(
                                "SELECT 表 || ':' || 之后 FROM change_history WHERE id > ? ORDER BY id"),
                            {historyBefore}, QString())
                     .join(QLatin1Char('|')),
                 text("ghjc_xf1:删除操作日期在 2026-12-01 以前的记录，删除前的备份：%1，共 80 行|"
                      "gm_xf1:删除操作日期在 2026-12-01 以前的记录，删除前的备份：%1，共 80 行")
                     .arg(backup));
        // The purged rows are in the backup.
        if (!data.db().isServer()) {
            Database copy(backup, Database::Mode::ReadOnly);
            QCOMPARE(copy.scalar(QStringLiteral("SELECT COUNT(*) FROM gm_xf1"), {}, QString()).toInt(), 121);
            QVERIFY2(
                QFileInfo(data.db().filePath()).size() < sizeBefore - 100 * 2000,
                qPrintable(
                    QStringLiteral("%1 -> %2").arg(sizeBefore).arg(QFileInfo(data.db().filePath()).size())));
        } else {
            QVERIFY(QFileInfo(backup).size() > 0);
        }
    }

    // A tombstone type shares its row with the stone materials, which stay.
    void removingATombstoneTypeKeepsTheMaterials() {
        TestData data;
        data.sql(QStringLiteral("INSERT INTO mblx (mblx, zblx, dblx) VALUES ('立碑', '青石', NULL)"));
        data.sql(QStringLiteral("INSERT INTO mblx (mblx, zblx, dblx) VALUES ('卧碑', '', NULL)"));
        data.sql(QStringLiteral("INSERT INTO mblx (mblx, zblx, dblx) VALUES (NULL, '汉白玉', '花岗岩')"));
        ScriptedPrompter prompter;
        ReferenceList types = ReferenceList::tombstoneTypes(data.db(), prompter);
        QCOMPARE(types.entries(), texts({"立碑", "卧碑"}));

        const QString before = data.dump(QStringLiteral("mblx"));
        QCOMPARE(types.remove(text("青石")).message->text, text("请选择您要删除的项目!"));
        QCOMPARE(types.remove(QString()).message->text, text("请选择您要删除的项目!"));
        QCOMPARE(types.add(text(" 卧碑")).message->text, text("卧碑已存在！"));
        QCOMPARE(data.dump(QStringLiteral("mblx")), before);

        prompter.answers << Prompter::Answer::Yes << Prompter::Answer::Yes;
        QCOMPARE(types.remove(text("立碑")).message->text, text("注销成功！  "));
        QVERIFY(types.remove(text("卧碑")).saved);
        QCOMPARE(
            data.db().texts(QStringLiteral("SELECT rid || '|' || COALESCE(mblx, '') || '|' || zblx || '|' || "
                                           "COALESCE(dblx, '') FROM mblx ORDER BY rid"),
                            {}, QStringLiteral("test")),
            texts({"1||青石|", "3||汉白玉|花岗岩"}));
        QVERIFY(types.add(text("卧碑")).saved);
        QCOMPARE(types.entries(), texts({"卧碑"}));

        ReferenceList relations = ReferenceList::relationships(data.db(), prompter);
        prompter.answers << Prompter::Answer::Yes;
        QVERIFY(relations.remove(text("朋友")).saved);
        QVERIFY(!relations.entries().contains(text("朋友")));
        QVERIFY(relations.entries().contains(text("父子")));
    }
};

QTEST_GUILESS_MAIN(OperatorsTest)
#include "tst_operators.moc"
