#include "foundation/database.h"
#include "shared/schema.h"
#include "support/testsupport.h"

#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

// The office on a PostgreSQL server: the same tables as on one desk, its history, its version, and a
// transaction that another desk spoiled running again; these need the server of PELU_TEST_ENGINE=QPSQL.
// The unique positions are checked on both engines.
class ServerSchemaTest : public QObject {
    Q_OBJECT

private:
    static bool skipWithoutServer(TestData& data) {
        if (data.db().isServer())
            return false;
        QTest::qSkip("needs a PostgreSQL server (PELU_TEST_ENGINE=QPSQL)", __FILE__, __LINE__);
        return true;
    }

    // Each office table with its columns, lower case as a server folds unquoted names.
    static QStringList layout(Database& database) {
        QStringList tables;
        for (const QString& table : database.tableNames())
            tables << table.toLower() + QLatin1Char(':') +
                          database.columnNames(table).join(QLatin1Char(',')).toLower();
        std::sort(tables.begin(), tables.end());
        return tables;
    }

    // Takes the office back to before the unique positions, as an older program left it.
    static void withoutUniquePositions(TestData& data) {
        data.sql(QStringLiteral("DROP INDEX mq_wz_position"));
        data.sql(QStringLiteral("DROP INDEX ghjc_wz_position"));
        data.sql(data.db().isServer() ? QStringLiteral("UPDATE pelu_schema_version SET version = 6")
                                      : QStringLiteral("PRAGMA user_version = 6"));
    }

    static QStringList rows(TestData& data, const QString& query) {
        QSqlQuery found = data.db().exec(query, {}, QStringLiteral("test read"));
        QStringList all;
        while (found.next()) {
            QStringList fields;
            for (int i = 0; i < found.record().count(); ++i)
                fields << (found.isNull(i) ? QStringLiteral("null") : found.value(i).toString());
            all << fields.join(QLatin1Char('|'));
        }
        return all;
    }

    static bool hasIndex(TestData& data, const char* name) {
        return data.value(data.db().isServer()
                              ? QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE indexname = ?")
                              : QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = ?"),
                          {QString::fromUtf8(name)})
                   .toInt() == 1;
    }

private Q_SLOTS:
    // An office that holds a position twice: the upgrade removes the free copies (the oldest of free ones
    // kept, a copy in use before a free one) with a line in the history each, and adds the unique index of
    // each table that has no copy left. A copy in use keeps the office open without its table's index,
    // which a later start adds once the copy is gone. Markers and similar names are no copies.
    void positionsHeldTwiceAreSortedOutAtTheUpgrade() {
        TestData data;
        withoutUniquePositions(data);
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 墓地费, 状态) VALUES ('东区', '1', '0001', 101, '未使用'), "
            "('东区', '1', '0001', 102, '未使用'), ('东区', '1', '0002', 103, '未使用'), ('东区', '1', '0002', "
            "104, '已购'), ('东区', NULL, '0003', 105, '未使用'), ('东区', '', '0003', 106, '未使用'), ('东区', "
            "'1', '0001', 107, '未使用'), ('东区北', '1', '0001', 108, '未使用'), ('东区', '2', '0001', 109, "
            "'已预订'), ('西区', NULL, NULL, 110, NULL), ('西区', NULL, NULL, 111, NULL)"));
        data.sql(QStringLiteral(
            "INSERT INTO ghjc_wz (厅, 室, 号, 价位, 状态) VALUES ('福厅', '1', '0001', 201, '已使用'), ('福厅', "
            "'1', '0001', 202, '已使用'), ('福厅', '1', '0002', 203, '未使用'), ('福厅', '1', '0002', 204, "
            "'未使用'), ('福厅北', '1', '0002', 205, '未使用'), ('寿厅', NULL, NULL, 206, NULL), ('寿厅', NULL, "
            "NULL, 207, NULL)"));

        { Database upgraded(data.db().target(), Database::Mode::Open); }
        QCOMPARE(data.db().schemaVersion(), Schema::latestVersion());
        QCOMPARE(rows(data, QStringLiteral("SELECT 墓地费 FROM mq_wz ORDER BY 墓地费")),
                 texts({"101", "104", "105", "108", "109", "110", "111"}));
        QCOMPARE(rows(data, QStringLiteral("SELECT 价位 FROM ghjc_wz ORDER BY 价位")),
                 texts({"201", "202", "203", "205", "206", "207"}));
        QStringList removed =
            rows(data, QStringLiteral("SELECT 位置 FROM change_history WHERE 操作 = '删除'"));
        removed.sort();
        QCOMPARE(removed,
                 texts({"东区0003号", "东区1排0001号", "东区1排0001号", "东区1排0002号", "福厅1室0002号"}));
        QVERIFY(hasIndex(data, "mq_wz_position"));
        QVERIFY(!hasIndex(data, "ghjc_wz_position"));
        QCOMPARE(Schema::duplicatePositions(data.db()), texts({"福厅1室0001号"}));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 data.db().exec(QStringLiteral("INSERT INTO mq_wz (墓区, 号, 状态) "
                                                               "VALUES ('东区', '0003', '未使用')"),
                                                {}, QStringLiteral("test")));

        // The office sets one of the two free; the next start removes it and adds the index.
        data.sql(QStringLiteral("UPDATE ghjc_wz SET 状态 = '未使用' WHERE 价位 = 201"));
        { Database reopened(data.db().target(), Database::Mode::Open); }
        QVERIFY(hasIndex(data, "ghjc_wz_position"));
        QCOMPARE(rows(data, QStringLiteral("SELECT 价位 FROM ghjc_wz WHERE 厅 = '福厅' ORDER BY 价位")),
                 texts({"202", "203"}));
        QCOMPARE(Schema::duplicatePositions(data.db()), QStringList());
    }

    void theServerHasTheTablesAndColumnsOfOneDesk() {
        TestData server;
        if (skipWithoutServer(server))
            return;
        QTemporaryDir dir;
        Database desk(dir.filePath(QStringLiteral("pelu.db")), Database::Mode::Create);
        // A server adds the row key of the older tables as their last column; the set is the same.
        const auto sorted = [](QStringList tables) {
            for (QString& table : tables) {
                const qsizetype colon = table.indexOf(QLatin1Char(':'));
                QStringList columns = table.mid(colon + 1).split(QLatin1Char(','));
                columns.sort();
                table = table.left(colon + 1) + columns.join(QLatin1Char(','));
            }
            return tables;
        };
        QCOMPARE(sorted(layout(server.db())), sorted(layout(desk)));
        QCOMPARE(server.db().schemaVersion(), Schema::latestVersion());

        // The seeds: Admin, the unit and the relationships.
        QCOMPARE(server.count(QStringLiteral("czy"), QStringLiteral("操作员 = 'Admin'")), 1);
        QCOMPARE(server.count(QStringLiteral("gx")), 13);

        // Keys are the position keys of one desk, generated from the place; amounts keep double precision.
        server.sql(
            QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 墓地费, 状态) VALUES ('1区', NULL, '0001', "
                           "1234567.89, '未使用'), ('2区', '3', '0002', 0.1, '未使用')"));
        QCOMPARE(server.db().texts(QStringLiteral("SELECT 墓碑位置 FROM mq_wz ORDER BY rid"), {}, QString()),
                 texts({"1区0001号", "2区3排0002号"}));
        QCOMPARE(server.value(QStringLiteral("SELECT 墓地费 FROM mq_wz WHERE 号 = '0001'")).toDouble(),
                 1234567.89);
        server.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号) VALUES ('东厅', NULL, '1', '0003')"));
        QCOMPARE(server.value(QStringLiteral("SELECT 存放位置 FROM ghjc_wz")).toString(),
                 text("东厅室0003号"));

        // A new row's key comes back from the insert, not from the history's numbering.
        const qint64 first =
            server.db().insert(QStringLiteral("gm_xf1"), {{QStringLiteral("合计"), 1}}, QString());
        const qint64 second =
            server.db().insert(QStringLiteral("gm_xf1"), {{QStringLiteral("合计"), 2}}, QString());
        QCOMPARE(second, first + 1);
        QCOMPARE(server.value(QStringLiteral("SELECT 合计 FROM gm_xf1 WHERE id = ?"), {second}).toInt(), 2);
    }

    void everyChangeIsRecordedWithWhoAndWhenAndCannotBeUndone() {
        TestData server;
        if (skipWithoutServer(server))
            return;
        Database& database = server.db();
        const FixedClock clock(testNow());
        database.setClock(clock);
        database.setOperator(QStringLiteral("张三"));
        database.setWindow(QStringLiteral("Frm_gm"));
        database.transaction([&] {
            database.exec(
                QStringLiteral("INSERT INTO mq_wz (墓区, 号, 状态) VALUES ('1区', '0001', '未使用')"), {},
                QString());
            database.exec(QStringLiteral("UPDATE mq_wz SET 状态 = '已购'"), {}, QString());
        });
        database.setOperator(QStringLiteral("李四"));
        database.exec(QStringLiteral("DELETE FROM mq_wz"), {}, QString());

        QSqlQuery history = database.exec(
            QStringLiteral(
                "SELECT 时间, 操作员, 窗口, 表, 位置, 操作, 之前, 之后 FROM change_history ORDER BY id"),
            {}, QString());
        QStringList rows;
        while (history.next())
            rows << QStringList{history.value(0).toString(), history.value(1).toString(),
                                history.value(2).toString(), history.value(3).toString(),
                                history.value(4).toString(), history.value(5).toString()}
                        .join(QLatin1Char('|'));
        QCOMPARE(rows, texts({"2026-12-06 09:30:00|张三|Frm_gm|mq_wz|1区0001号|添加",
                              "2026-12-06 09:30:00|张三|Frm_gm|mq_wz|1区0001号|修改",
                              "2026-12-06 09:30:00|李四|Frm_gm|mq_wz|1区0001号|删除"}));
        // Each change names its row by the key the upgrade added to the table.
        QCOMPARE(server.count(QStringLiteral("change_history"), QStringLiteral("行 IS NULL")), 0);
        QVERIFY(server.value(QStringLiteral("SELECT 之后 FROM change_history WHERE 操作 = '修改'"))
                    .toString()
                    .contains(text("\"状态\": \"已购\"")));

        // The work tables of the statistics are not the office's records.
        database.exec(QStringLiteral("INSERT INTO jcxstj (类型) VALUES ('x')"), {}, QString());
        QCOMPARE(server.count(QStringLiteral("change_history")), 3);

        QVERIFY_THROWS_EXCEPTION(
            DatabaseError,
            database.exec(QStringLiteral("UPDATE change_history SET 操作员 = 'x'"), {}, QString()));
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 database.exec(QStringLiteral("DELETE FROM change_history"), {}, QString()));
        QCOMPARE(server.count(QStringLiteral("change_history"), QStringLiteral("操作员 = 'x'")), 0);
        QCOMPARE(server.count(QStringLiteral("change_history")), 3);
    }

    void aTransactionAnotherDeskSpoiledRunsAgainOnWhatIsThereNow() {
        TestData server;
        if (skipWithoutServer(server))
            return;
        server.sql(QStringLiteral("INSERT INTO mq_wz (墓区, 号, 状态) VALUES ('1区', '0001', '未使用')"));
        Database otherDesk(server.db().target(), Database::Mode::Open);

        // Desk one reads the plot free; desk two sells it meanwhile; desk one's write is refused by
        // the server and its work runs again, now seeing the sale.
        QStringList seen;
        server.db().transaction([&] {
            const QString state =
                server.db().scalar(QStringLiteral("SELECT 状态 FROM mq_wz"), {}, QString()).toString();
            seen << state;
            if (seen.size() == 1)
                otherDesk.exec(QStringLiteral("UPDATE mq_wz SET 状态 = '已购'"), {}, QString());
            if (state == text("未使用"))
                server.db().exec(QStringLiteral("UPDATE mq_wz SET 状态 = '已预订'"), {}, QString());
        });
        QCOMPARE(seen, texts({"未使用", "已购"}));
        QCOMPARE(server.value(QStringLiteral("SELECT 状态 FROM mq_wz")).toString(), text("已购"));

        // An open database that is not an office, and an empty one, are refused as on one desk.
        server.db().exec(QStringLiteral("DROP TABLE pelu_schema_version"), {}, QString());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Database(server.db().target(), Database::Mode::Create));
    }
};

QTEST_GUILESS_MAIN(ServerSchemaTest)
#include "tst_serverschema.moc"
