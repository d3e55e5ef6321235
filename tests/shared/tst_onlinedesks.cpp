#include "foundation/maintenancelock.h"
#include "shared/onlinedesks.h"
#include "shared/schema.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

QStringList shown(Database& database) {
    QStringList lines;
    for (const OnlineDesks::Desk& desk : OnlineDesks::list(database))
        lines << QStringList{desk.operatorName, desk.computer, desk.since}.join(u'|');
    return lines;
}

qint64 backendOf(Database& desk) {
    return desk.scalar(QStringLiteral("SELECT pg_backend_pid()"), {}, QStringLiteral("test")).toLongLong();
}

} // namespace

class OnlineDesksTest : public QObject {
    Q_OBJECT

private slots:
    void oneDeskShowsItsLastLoginOnly() {
        TestData data;
        if (data.db().isServer())
            QSKIP("a server lists every desk");
        OnlineDesks::enter(data.db(), QStringLiteral("王会计"), QStringLiteral("前台"), testNow());
        OnlineDesks::enter(data.db(), QStringLiteral("王会"), QStringLiteral("前台二"),
                           testNow().addSecs(65));
        QCOMPARE(shown(data.db()), QStringList{QStringLiteral("王会|前台二|2026-12-06 09:31:05")});
    }

    // Each desk is listed once, by its latest login; a desk whose session ended is not, nor a row whose
    // process number the server handed to a later session.
    void aServerListsTheDesksConnectedNow() {
        TestData data;
        if (!data.db().isServer())
            QSKIP("only a server has several desks");
        Database deskB(data.db().target(), Database::Mode::Open);
        Database deskC(data.db().target(), Database::Mode::Open);
        OnlineDesks::enter(data.db(), QStringLiteral("Admin"), QStringLiteral("前台"), testNow());
        OnlineDesks::enter(deskB, QStringLiteral("王会计"), QStringLiteral("财务室"), testNow().addSecs(1));
        OnlineDesks::enter(deskC, QStringLiteral("王会"), QStringLiteral("财务室二"), testNow().addSecs(2));
        OnlineDesks::enter(data.db(), QStringLiteral("小刘"), QStringLiteral("前台"), testNow().addSecs(3));
        QCOMPARE(shown(deskB), QStringList({QStringLiteral("王会计|财务室|2026-12-06 09:30:01"),
                                            QStringLiteral("王会|财务室二|2026-12-06 09:30:02"),
                                            QStringLiteral("小刘|前台|2026-12-06 09:30:03")}));

        const qint64 gone = backendOf(deskC);
        data.db().scalar(QStringLiteral("SELECT pg_terminate_backend(?)"), {gone}, QStringLiteral("test"));
        for (int i = 0;
             i < 100 &&
             data.value(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = ?"), {gone})
                     .toInt() > 0;
             ++i)
            QTest::qWait(20);
        // A live session's number with another start is an old desk's row.
        data.sql(QStringLiteral("UPDATE online_desks SET 连接开始 = '2000-01-01' WHERE 操作员 = '王会计'"));
        QCOMPARE(shown(data.db()), QStringList{QStringLiteral("小刘|前台|2026-12-06 09:30:03")});
    }

    // Logins are not the office's changes: none is recorded in the change history, not even where an
    // earlier version gave the desks' list history triggers, which the upgrade takes away.
    void loginsAreNotRecorded() {
        TestData data;
        const bool server = data.db().isServer();
        if (server) {
            data.sql(
                QStringLiteral("CREATE TRIGGER online_desks_history AFTER INSERT OR UPDATE OR DELETE ON "
                               "online_desks FOR EACH ROW EXECUTE FUNCTION pelu_record_change('rid', '')"));
        } else {
            for (const char* event : {"INSERT", "UPDATE", "DELETE"})
                data.sql(
                    QStringLiteral("CREATE TRIGGER online_desks_history_%1 AFTER %2 ON online_desks BEGIN "
                                   "INSERT INTO change_history (表, 操作) VALUES ('online_desks', '%2'); END")
                        .arg(QString::fromLatin1(event).toLower(), QString::fromLatin1(event)));
        }
        const QString triggers =
            server
                ? QStringLiteral("SELECT COUNT(*) FROM pg_trigger WHERE tgrelid = 'online_desks'::regclass "
                                 "AND NOT tgisinternal")
                : QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = "
                                 "'online_desks'");
        QCOMPARE(data.value(triggers).toInt(), server ? 1 : 3);
        // The version before logins left the history.
        const int before = Schema::latestVersion() - 2;
        if (server)
            data.sql(QStringLiteral("UPDATE pelu_schema_version SET version = ?"), {before});
        else
            data.sql(QStringLiteral("PRAGMA user_version = %1").arg(before));

        Database upgraded(data.db().target(), Database::Mode::Open);
        QCOMPARE(data.value(triggers).toInt(), 0);
        const int recorded = data.count(QStringLiteral("change_history"));
        QVERIFY(OnlineDesks::enter(upgraded, QStringLiteral("王会计"), QStringLiteral("财务室"), testNow()));
        QVERIFY(OnlineDesks::enter(upgraded, QStringLiteral("王会"), QStringLiteral("财务室"), testNow()));
        QCOMPARE(data.count(QStringLiteral("online_desks")), 1);
        QCOMPARE(data.count(QStringLiteral("change_history")), recorded);
    }

    // While maintenance holds the lock no desk logs in, and none is entered; desks logging in at the same
    // moment do not keep each other out; a second maintenance action waits for none but is refused.
    void maintenanceKeepsDesksOutWhileItRuns() {
        TestData data;
        if (!data.db().isServer())
            QSKIP("one desk has its office lock");
        Database deskB(data.db().target(), Database::Mode::Open);
        Database deskC(data.db().target(), Database::Mode::Open);
        {
            Database maintaining(data.db().target(), Database::Mode::ReadOnly);
            const MaintenanceLock lock(maintaining, QStringLiteral("还原数据"));
            QVERIFY(
                !OnlineDesks::enter(deskB, QStringLiteral("王会计"), QStringLiteral("财务室"), testNow()));
            QCOMPARE(data.count(QStringLiteral("online_desks")), 0);
            try {
                const MaintenanceLock second(data.db(), QStringLiteral("升级数据库"));
                QFAIL("two maintenance actions ran at once");
            } catch (const DatabaseError& error) {
                QVERIFY2(error.message().contains(text("另一台电脑正在维护数据库")) &&
                             error.message().contains(text("不能升级数据库")),
                         qPrintable(error.message()));
            }
        }
        // One desk in the middle of its login does not hold up another's.
        deskC.transaction([&] {
            QVERIFY(MaintenanceLock::admitsDesk(deskC));
            QVERIFY(OnlineDesks::enter(deskB, QStringLiteral("王会计"), QStringLiteral("财务室"), testNow()));
        });
        QCOMPARE(shown(data.db()), QStringList{QStringLiteral("王会计|财务室|2026-12-06 09:30:00")});
    }

    // An upgrade on a server waits until every other desk has logged out: it names them, changes nothing,
    // and goes on once they are gone. A desk that connected but never logged in holds nothing up.
    void anUpgradeWaitsForTheDesksLoggedIn() {
        TestData data;
        if (!data.db().isServer())
            QSKIP("one desk has its office lock");
        const int older = Schema::latestVersion() - 1;
        auto deskB = std::make_unique<Database>(data.db().target(), Database::Mode::Open);
        auto deskC = std::make_unique<Database>(data.db().target(), Database::Mode::Open);
        Database idle(data.db().target(), Database::Mode::Open);
        QVERIFY(OnlineDesks::enter(*deskB, QStringLiteral("王会计"), QStringLiteral("财务室"), testNow()));
        QVERIFY(OnlineDesks::enter(*deskC, QStringLiteral("王会"), QStringLiteral("财务室二"),
                                   testNow().addSecs(5)));
        data.sql(QStringLiteral("UPDATE pelu_schema_version SET version = ?"), {older});
        const QString tables =
            data.value(QStringLiteral("SELECT string_agg(tablename, ',' ORDER BY tablename) "
                                      "FROM pg_tables WHERE schemaname = 'public'"))
                .toString();
        try {
            Database(data.db().target(), Database::Mode::Create);
            QFAIL("the upgrade ran under the desks' feet");
        } catch (const DatabaseError& error) {
            QVERIFY2(
                error.message().contains(text("王会计 电脑：财务室\n王会 电脑：财务室二\n请他们退出 Pelu "
                                              "后再升级数据库。什么也没有做。")),
                qPrintable(error.message()));
        }
        QCOMPARE(data.value(QStringLiteral("SELECT version FROM pelu_schema_version")).toInt(), older);
        deskB.reset();
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Database(data.db().target(), Database::Mode::Create));
        deskC.reset();
        QTRY_VERIFY(OnlineDesks::others(data.db()).isEmpty());
        Database(data.db().target(), Database::Mode::Create);
        QCOMPARE(data.value(QStringLiteral("SELECT version FROM pelu_schema_version")).toInt(),
                 Schema::latestVersion());
        QCOMPARE(
            data.value(QStringLiteral("SELECT string_agg(tablename, ',' ORDER BY tablename) FROM pg_tables "
                                      "WHERE schemaname = 'public'"))
                .toString(),
            tables);
        // The lock went with the upgrade: a desk logs in again.
        QVERIFY(OnlineDesks::enter(idle, QStringLiteral("王会计"), QStringLiteral("财务室"), testNow()));
    }
};

QTEST_GUILESS_MAIN(OnlineDesksTest)
#include "tst_onlinedesks.moc"
