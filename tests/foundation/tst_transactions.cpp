#include "support/testsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <csignal>

namespace {

bool onServer(Database& database) {
    return database.isServer();
}

// A second connection to the same server database: the server's own view of the test's desk.
struct ServerSide {
    std::unique_ptr<Database> desk;
    explicit ServerSide(Database& of) : desk(std::make_unique<Database>(of.target(), Database::Mode::Open)) {}
    void terminate(qint64 backend) {
        desk->scalar(QStringLiteral("SELECT pg_terminate_backend(?)"), {backend}, QStringLiteral("test"));
        // The server ends the backend asynchronously; wait until it is gone.
        for (int i = 0;
             i < 100 && desk->scalar(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE pid = ?"),
                                     {backend}, QStringLiteral("test"))
                                .toInt() > 0;
             ++i)
            QTest::qWait(20);
    }
};

qint64 backendOf(Database& database) {
    return database.scalar(QStringLiteral("SELECT pg_backend_pid()"), {}, QStringLiteral("test"))
        .toLongLong();
}

} // namespace

class TransactionsTest : public QObject {
    Q_OBJECT

private slots:
    void theCallerGetsTheResultOfTheAttemptThatCommitted() {
        TestData data;
        data.db().setRerunEveryTransaction(true);
        QSignalSpy notices(&data.db().changes(), &ChangeNotifier::changed);
        int attempts = 0;
        const qint64 row = data.db().transaction([&] {
            ++attempts;
            data.db().notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("甲区"));
            return data.db().insert(QStringLiteral("mblx"),
                                    {{QStringLiteral("mblx"), QStringLiteral("卧碑")}},
                                    QStringLiteral("test"));
        });
        QCOMPARE(attempts, 2);
        // The rehearsed attempt left neither its row nor its notice.
        QCOMPARE(data.count(QStringLiteral("mblx"), QStringLiteral("mblx = '卧碑'")), 1);
        QCOMPARE(data.value(QStringLiteral("SELECT mblx FROM mblx WHERE rid = ?"), {row}).toString(),
                 QStringLiteral("卧碑"));
        QCOMPARE(notices.size(), 1);

        // Nested levels are rehearsed only with their outermost one.
        attempts = 0;
        int inner = 0;
        data.db().transaction([&] {
            ++attempts;
            data.db().transaction([&] { ++inner; });
        });
        QCOMPARE(attempts, 2);
        QCOMPARE(inner, 2);

        // A lone insert, in a transaction of its own, hands back its key too.
        const qint64 lone =
            data.db().insert(QStringLiteral("mblx"), {{QStringLiteral("mblx"), QStringLiteral("立碑")}},
                             QStringLiteral("test"));
        QCOMPARE(data.value(QStringLiteral("SELECT mblx FROM mblx WHERE rid = ?"), {lone}).toString(),
                 QStringLiteral("立碑"));
    }

    void anInjectedFaultStrikesTheSameWriteWhenRehearsed() {
        TestData data;
        data.db().setRerunEveryTransaction(true);
        data.db().failNthWrite(2);
        const auto twoRows = [&] {
            data.db().transaction([&] {
                for (const char* type : {"立碑", "卧碑"})
                    data.db().insert(QStringLiteral("mblx"), {{QStringLiteral("mblx"), text(type)}},
                                     QStringLiteral("test"));
            });
        };
        const QString before = data.dump(QStringLiteral("mblx"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, twoRows());
        QCOMPARE(data.dump(QStringLiteral("mblx")), before);
        twoRows();
        QCOMPARE(data.count(QStringLiteral("mblx"), QStringLiteral("mblx IN ('立碑', '卧碑')")), 2);
    }

    void aFailureSaysItsReasonInChinese() {
        TestData data;
        data.sql(QStringLiteral("CREATE TABLE unique_test (name TEXT UNIQUE)"));
        data.sql(QStringLiteral("INSERT INTO unique_test (name) VALUES ('甲')"));
        try {
            data.db().exec(QStringLiteral("INSERT INTO unique_test (name) VALUES (?)"),
                           {QStringLiteral("甲")}, QStringLiteral("写入测试"));
            QFAIL("a duplicate was written");
        } catch (const DatabaseError& error) {
            QVERIFY2(error.message().startsWith(text("数据库错误（写入测试）：记录重复")),
                     qPrintable(error.message()));
            // The engine's English goes to the log, not to the clerk.
            QVERIFY2(!error.message().contains(QLatin1String("UNIQUE")) &&
                         !error.message().contains(QLatin1String("duplicate")),
                     qPrintable(error.message()));
            QCOMPARE(error.link(), DatabaseError::Link::Kept);
        }

        // A file that is not a database, and a server user that does not exist, are said in Chinese too.
        if (!data.db().isServer()) {
            const QString notes = data.folder().path() + QStringLiteral("/notes.db");
            QFile file(notes);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(4096, 'x'));
            file.close();
            try {
                Database(notes, Database::Mode::Open);
                QFAIL("a text file was opened as a database");
            } catch (const DatabaseError& error) {
                QVERIFY2(error.message().contains(text("这不是数据库文件")), qPrintable(error.message()));
            }
        } else {
            DatabaseTarget stranger = data.db().target();
            stranger.user = QStringLiteral("nobody_at_this_office");
            try {
                Database(stranger, Database::Mode::Open);
                QFAIL("an unknown user was let in");
            } catch (const DatabaseError& error) {
                QVERIFY2(error.message().contains(text("没有这个数据库或用户")), qPrintable(error.message()));
            }
        }
    }

    void aDeskWhoseServerDroppedItReconnectsAtTheNextAction() {
        TestData data;
        if (!onServer(data.db()))
            QSKIP("only a server drops a desk's connection");
        ServerSide server(data.db());

        // A read outside a transaction: the first statement after the drop.
        server.terminate(backendOf(data.db()));
        QCOMPARE(data.db().scalar(QStringLiteral("SELECT 2 + 3"), {}, QStringLiteral("test")).toInt(), 5);

        // A transaction whose connection goes in the middle runs once more, from the start, and lands once.
        int attempts = 0;
        const qint64 row = data.db().transaction([&] {
            if (++attempts == 1)
                server.terminate(backendOf(data.db()));
            return data.db().insert(QStringLiteral("mblx"),
                                    {{QStringLiteral("mblx"), QStringLiteral("卧碑")}},
                                    QStringLiteral("test"));
        });
        QCOMPARE(attempts, 2);
        QCOMPARE(data.count(QStringLiteral("mblx"), QStringLiteral("mblx = '卧碑'")), 1);
        QVERIFY(row > 0);

        // Dropped twice in one action: said clearly, nothing written, and the next action works.
        const QString before = data.dump(QStringLiteral("mblx"));
        try {
            data.db().transaction([&] {
                server.terminate(backendOf(data.db()));
                data.db().insert(QStringLiteral("mblx"), {{QStringLiteral("mblx"), QStringLiteral("立碑")}},
                                 QStringLiteral("写入测试"));
            });
            QFAIL("the second drop went unnoticed");
        } catch (const DatabaseError& error) {
            QVERIFY2(error.message().contains(text("与数据库服务器的连接已断开")),
                     qPrintable(error.message()));
        }
        QCOMPARE(data.dump(QStringLiteral("mblx")), before);
    }

    void aRowAnotherDeskHoldsIsGivenUpWithinTheBound() {
        TestData data;
        if (!onServer(data.db()))
            QSKIP("one desk waits for nobody");
        ServerSide server(data.db());
        data.sql(QStringLiteral("INSERT INTO mblx (mblx) VALUES ('卧碑')"));
        // The other desk is in the middle of an action that holds the row.
        QSqlQuery holding(server.desk->connection());
        QVERIFY(holding.exec(QStringLiteral("BEGIN")));
        QVERIFY(holding.exec(QStringLiteral("SELECT mblx FROM mblx WHERE mblx = '卧碑' FOR UPDATE")));
        data.db().setStatementBound(std::chrono::milliseconds(500));
        QElapsedTimer waited;
        waited.start();
        try {
            data.db().transaction([&] {
                data.db().exec(QStringLiteral("UPDATE mblx SET mblx = ? WHERE mblx = ?"),
                               {QStringLiteral("平碑"), QStringLiteral("卧碑")}, QStringLiteral("修改测试"));
            });
            QFAIL("the held row was written");
        } catch (const DatabaseError& error) {
            QVERIFY2(error.message().contains(text("操作超时")), qPrintable(error.message()));
            QCOMPARE(error.link(), DatabaseError::Link::Kept);
        }
        QVERIFY(waited.elapsed() < 5000);
        QVERIFY(holding.exec(QStringLiteral("ROLLBACK")));
        data.db().setStatementBound(Database::usualStatementBound);
        QCOMPARE(data.count(QStringLiteral("mblx"), QStringLiteral("mblx = '平碑'")), 0);
        QCOMPARE(data.count(QStringLiteral("mblx"), QStringLiteral("mblx = '卧碑'")), 1);
    }

    void aServerThatStopsAnsweringCostsOneMessage() {
        TestData data;
        if (!onServer(data.db()))
            QSKIP("only a server can stop answering");
        ServerSide server(data.db());
        const qint64 backend = backendOf(data.db());
        data.db().setStatementBound(std::chrono::milliseconds(200));
        if (::kill(static_cast<pid_t>(backend), SIGSTOP) != 0)
            QSKIP("the test may not stop the server's processes");
        // Whatever the outcome, the backend goes on, so that the server can end it.
        auto resume = qScopeGuard([backend] { ::kill(static_cast<pid_t>(backend), SIGCONT); });
        QElapsedTimer waited;
        waited.start();
        DatabaseError::Link link = DatabaseError::Link::Kept;
        try {
            data.db().transaction([&] {
                data.db().insert(QStringLiteral("mblx"), {{QStringLiteral("mblx"), QStringLiteral("立碑")}},
                                 QStringLiteral("写入测试"));
            });
        } catch (const DatabaseError& error) {
            link = error.link();
            QVERIFY2(error.message().contains(text("没有回答")), qPrintable(error.message()));
        }
        resume.dismiss();
        ::kill(static_cast<pid_t>(backend), SIGCONT);
        QCOMPARE(link, DatabaseError::Link::Unanswered);
        QVERIFY(waited.elapsed() < 15000);
        server.terminate(backend);
        data.db().setStatementBound(Database::usualStatementBound);
        // The next action connects anew; the cut one wrote nothing.
        QCOMPARE(data.count(QStringLiteral("mblx"), QStringLiteral("mblx = '立碑'")), 0);
        data.db().transaction([&] {
            data.db().insert(QStringLiteral("mblx"), {{QStringLiteral("mblx"), QStringLiteral("立碑")}},
                             QStringLiteral("写入测试"));
        });
        QCOMPARE(data.count(QStringLiteral("mblx"), QStringLiteral("mblx = '立碑'")), 1);
    }
};

QTEST_GUILESS_MAIN(TransactionsTest)
#include "tst_transactions.moc"
