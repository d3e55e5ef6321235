#include "shared/onlinedesks.h"
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
};

QTEST_GUILESS_MAIN(OnlineDesksTest)
#include "tst_onlinedesks.moc"
