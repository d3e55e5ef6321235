#include "shared/schema.h"
#include "support/officewithroles.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QTest>

// On a server the desks' role writes the office's rows, and the history records them, but no desk login
// can change a table, a trigger or the history; printing only reads; the owner upgrades.
class TestServerRoles : public QObject {
    Q_OBJECT

    static QString refusal(Database& database, const QString& statement) {
        try {
            database.exec(statement, {}, QStringLiteral("test"));
        } catch (const DatabaseError& error) {
            return error.message();
        }
        return QString();
    }

    static qint64 historyRows(Database& database) {
        return database
            .scalar(QStringLiteral("SELECT COUNT(*) FROM change_history"), {}, QStringLiteral("test"))
            .toLongLong();
    }

private slots:
    void init() {
        if (!testsOnServer())
            QSKIP("roles are a server's");
    }

    void theDeskWritesRowsButCannotRewriteTheHistory() {
        OfficeWithRoles office;
        Database desk(office.as(office.roles().desk), Database::Mode::Open);
        desk.setOperator(text("王会计"));
        desk.transaction([&] {
            desk.exec(QStringLiteral("UPDATE yhxx SET dwmc = ?"), {text("甲公墓")}, QStringLiteral("test"));
        });
        desk.transaction([&] {
            desk.insert(QStringLiteral("gm_xf1"), {{text("联系人"), text("李四")}}, QStringLiteral("test"));
        });
        QCOMPARE(desk.scalar(QStringLiteral(
                                 "SELECT string_agg(操作员 || 表, ',' ORDER BY id) FROM change_history"),
                             {}, QStringLiteral("test"))
                     .toString(),
                 text("王会计yhxx,王会计gm_xf1"));

        for (
            const char* statement :
            {"DROP TRIGGER yhxx_history ON yhxx", "ALTER TABLE yhxx DISABLE TRIGGER ALL",
             "TRUNCATE change_history", "DELETE FROM change_history",
             "UPDATE change_history SET 操作员 = 'x'",
             "INSERT INTO change_history (表, 操作) VALUES ('yhxx', '修改')",
             "UPDATE pelu_schema_version SET version = 1",
             "CREATE OR REPLACE FUNCTION pelu_record_change() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN RETURN "
             "NULL; END $$",
             "CREATE TABLE pelu_own (x integer)"}) {
            const QString message = refusal(desk, text(statement));
            QVERIFY2(!message.isEmpty(), statement);
        }
        // The recorder cannot be hung on a table of the desk's own to forge rows.
        QCOMPARE(refusal(desk, QStringLiteral("CREATE TEMP TABLE gm_xf1 (id bigint)")), QString());
        QVERIFY(
            !refusal(desk, QStringLiteral("CREATE TRIGGER forged AFTER INSERT ON pg_temp.gm_xf1 FOR EACH ROW "
                                          "EXECUTE FUNCTION pelu_record_change('id', '')"))
                 .isEmpty());
        desk.exec(QStringLiteral("DROP TABLE pg_temp.gm_xf1"), {}, QStringLiteral("test"));
        // Nor told that a change is a copy from elsewhere.
        desk.exec(QStringLiteral("SET pelu.copying = 'on'"), {}, QStringLiteral("test"));
        desk.transaction([&] {
            desk.exec(QStringLiteral("UPDATE yhxx SET dwmc = ?"), {text("乙公墓")}, QStringLiteral("test"));
        });
        QCOMPARE(historyRows(desk), 3);
        QCOMPARE(
            desk.scalar(QStringLiteral("SELECT COUNT(*) FROM pg_trigger WHERE tgname = 'yhxx_history' AND "
                                       "tgenabled = 'O'"),
                        {}, QStringLiteral("test"))
                .toInt(),
            1);

        // A desk's backup reads everything.
        const QString backup = QDir(office.folder().backupFolder()).filePath(QStringLiteral("desk.dat"));
        desk.backupTo(backup);
        QVERIFY(QFileInfo(backup).size() > 0);

        // Printing reads and nothing more.
        Database printing(office.as(office.roles().print), Database::Mode::Open);
        QCOMPARE(
            printing.scalar(QStringLiteral("SELECT dwmc FROM yhxx"), {}, QStringLiteral("test")).toString(),
            text("乙公墓"));
        for (const char* statement : {"UPDATE yhxx SET dwmc = 'x'", "DELETE FROM gm_xf1"})
            QVERIFY2(!refusal(printing, text(statement)).isEmpty(), statement);
        QCOMPARE(historyRows(desk), 3);
    }

    // A role that could undo its limits is refused before any right changes, and so is a grant by anyone
    // but the owner; a desk never upgrades the schema, the owner does.
    void theRolesAreCheckedAndTheOwnerUpgrades() {
        OfficeWithRoles office;
        Database owner(office.folder().ownerTarget(), Database::Mode::Open);
        const auto grantRefusal = [&](Database& by, const ServerRoles::Roles& roles) {
            try {
                ServerRoles::grant(by, roles);
            } catch (const DatabaseError& error) {
                return error.message();
            }
            return QString();
        };
        const ServerRoles::Roles roles = office.roles();
        const QString member = office.otherRole();
        onTestServer([&](QSqlQuery& query) {
            QVERIFY(query.exec(QStringLiteral("GRANT %1 TO %2").arg(roles.owner, member)));
        });
        const QString superuser = testServerDatabase(QString()).user;
        for (const auto& [desk, reason] :
             {std::pair{QStringLiteral("pelu_nobody"), text("没有账户 pelu_nobody")},
              std::pair{member, text("是所有者")}, std::pair{superuser, text("超级用户")}}) {
            const QString message = grantRefusal(owner, {roles.owner, desk, roles.print});
            QVERIFY2(message.contains(reason), qPrintable(message));
        }
        Database desk(office.as(roles.desk), Database::Mode::Open);
        QVERIFY(grantRefusal(desk, roles).contains(text("不是数据表的所有者")));
        QCOMPARE(refusal(desk, QStringLiteral("SELECT COUNT(*) FROM gm_xf1")), QString());

        owner.exec(QStringLiteral("UPDATE pelu_schema_version SET version = ?"),
                   {Schema::latestVersion() - 1}, QStringLiteral("test"));
        try {
            Database(office.as(roles.desk), Database::Mode::Open);
            QFAIL("a desk upgraded the schema");
        } catch (const DatabaseError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("pelu --create-database")),
                     qPrintable(error.message()));
        }
        QCOMPARE(owner.schemaVersion(), Schema::latestVersion() - 1);
        Database upgraded(office.folder().ownerTarget(), Database::Mode::Create);
        QCOMPARE(upgraded.schemaVersion(), Schema::latestVersion());
    }
};

QTEST_MAIN(TestServerRoles)
#include "tst_serverroles.moc"
