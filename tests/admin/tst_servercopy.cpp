#include "admin/servercopy.h"
#include "foundation/maintenancelock.h"
#include "support/testsupport.h"

#include <QTest>

namespace {

// Every row of a table, columns by name in the file's order and rows by key, as text.
QString rowsOf(Database& database, const QString& table, const QStringList& columns) {
    QSqlQuery query = database.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                                        .arg(columns.join(QStringLiteral(", ")), table, columns.first()),
                                    {}, QStringLiteral("test dump"));
    QStringList lines;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < columns.size(); ++i)
            fields << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
        lines << fields.join(QLatin1Char('|'));
    }
    return lines.join(QLatin1Char('\n'));
}

// A one-desk office with plots (generated keys, a gap in the row keys), amounts with fractions, quotes
// and NULLs, more memos than one statement writes, and the change history all of that made.
void fillOffice(Database& office) {
    office.exec(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 状态, 寿穴) VALUES "
                               "('甲区', '1', '0001', '单人墓', 9000.1, '已购', 1), "
                               "('甲区', '1', '0002', '单人墓', 0.3, '未使用', NULL), "
                               "('甲区', '', '0003', '双人墓', NULL, '未使用', 0)"),
                {}, QStringLiteral("test setup"));
    office.exec(QStringLiteral("DELETE FROM mq_wz WHERE 号 = '0002'"), {}, QStringLiteral("test setup"));
    office.exec(
        QStringLiteral("INSERT INTO gm_xf1 (编号, 墓碑位置, 联系人, 墓地费, 管理费, 合计, 操作方式) VALUES "
                       "(12, '甲区1排0001号', '王''五', 9000.1, 0.07, 9000.17, '购墓')"),
        {}, QStringLiteral("test setup"));
    office.exec(
        QStringLiteral("INSERT INTO gm_qtf (墓碑位置, QT, QTF) VALUES ('甲区1排0001号', '花圈', 40.5)"), {},
        QStringLiteral("test setup"));
    office.exec(
        QStringLiteral("INSERT INTO mq_bwl (墓碑位置, 内容) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                       "SELECT i + 1 FROM n WHERE i < 1203) SELECT '甲区1排0001号', '备忘' || i FROM n"),
        {}, QStringLiteral("test setup"));
}

} // namespace

class ServerCopyTest : public QObject {
    Q_OBJECT

private slots:
    // A database with tables is refused; a copy that fails part way leaves the server empty; a good one
    // brings every row with its key and history unchanged, and the server numbers new rows after them.
    void anOfficeMovesToAnEmptyServerWhole() {
        TestData data;
        if (!data.db().isServer())
            QSKIP("the copy goes from a database file to a server");
        const DatabaseTarget server = data.db().target();
        Database office(data.folder().path() + QStringLiteral("/office.db"), Database::Mode::Create);
        fillOffice(office);

        try {
            Database(server, Database::Mode::Empty);
            QFAIL("a database with the office's tables was taken for an empty one");
        } catch (const DatabaseError& error) {
            QVERIFY2(error.message().contains(text("不是空的")), qPrintable(error.message()));
        }
        data.sql(QStringLiteral("DROP SCHEMA public CASCADE"));
        data.sql(QStringLiteral("CREATE SCHEMA public"));

        // An amount the server cannot take, near the end of the copy.
        office.exec(QStringLiteral("UPDATE yd_tm SET 退费金额 = 'abc'"), {}, QStringLiteral("test setup"));
        office.exec(QStringLiteral("INSERT INTO yd_tm (墓碑位置, 退费金额) VALUES ('甲区1排0003号', 'abc')"),
                    {}, QStringLiteral("test setup"));
        {
            Database empty(server, Database::Mode::Empty);
            QVERIFY_THROWS_EXCEPTION(DatabaseError, ServerCopy(office, empty).run());
            QVERIFY(empty.tableNames().isEmpty());
        }
        office.exec(QStringLiteral("UPDATE yd_tm SET 退费金额 = 150.25"), {}, QStringLiteral("test setup"));

        // A plot held twice, one copy in use, would break the server's unique positions: said before copying.
        office.exec(QStringLiteral("DROP INDEX mq_wz_position"), {}, QStringLiteral("test setup"));
        const qint64 twice = office.insert(QStringLiteral("mq_wz"),
                                           {{QStringLiteral("墓区"), QStringLiteral("甲区")},
                                            {QStringLiteral("排"), QStringLiteral("1")},
                                            {QStringLiteral("号"), QStringLiteral("0001")},
                                            {QStringLiteral("状态"), QStringLiteral("已购")}},
                                           QStringLiteral("test setup"));
        {
            Database empty(server, Database::Mode::Empty);
            try {
                ServerCopy(office, empty).run();
                QFAIL("a plot held twice was copied");
            } catch (const DatabaseError& error) {
                QVERIFY2(error.message().contains(text("甲区1排0001号")), qPrintable(error.message()));
            }
            QVERIFY(empty.tableNames().isEmpty());
        }
        office.exec(QStringLiteral("DELETE FROM mq_wz WHERE rid = ?"), {twice}, QStringLiteral("test setup"));

        // Another maintenance action on the server database keeps the copy out.
        {
            Database restoring(server, Database::Mode::Empty);
            const MaintenanceLock lock(restoring, text("还原数据"));
            Database empty(server, Database::Mode::Empty);
            try {
                ServerCopy(office, empty).run();
                QFAIL("the copy ran beside a restore");
            } catch (const DatabaseError& error) {
                QVERIFY2(error.message().contains(text("另一台电脑正在维护数据库")),
                         qPrintable(error.message()));
            }
            QVERIFY(empty.tableNames().isEmpty());
        }

        Database target(server, Database::Mode::Empty);
        ServerCopy copy(office, target);
        copy.run();
        QVERIFY2(copy.report().last().contains(text("两边一致")), qPrintable(copy.report().join(u'\n')));
        QCOMPARE(target.schemaVersion(), office.schemaVersion());
        for (const QString& table : office.tableNames()) {
            const QStringList columns = office.columnNames(table);
            QCOMPARE(rowsOf(target, table, columns), rowsOf(office, table, columns));
        }
        QCOMPARE(
            target.scalar(QStringLiteral("SELECT COUNT(*) FROM mq_bwl"), {}, QStringLiteral("test")).toInt(),
            1203);
        // The planner knows the copied rows at once.
        QCOMPARE(target
                     .scalar(QStringLiteral("SELECT reltuples FROM pg_class WHERE relname = 'mq_bwl'"), {},
                             QStringLiteral("test"))
                     .toInt(),
                 1203);

        const int history =
            office.scalar(QStringLiteral("SELECT COUNT(*) FROM change_history"), {}, QStringLiteral("test"))
                .toInt();
        const qint64 plot = target.insert(QStringLiteral("mq_wz"),
                                          {{QStringLiteral("墓区"), QStringLiteral("乙区")},
                                           {QStringLiteral("号"), QStringLiteral("0001")}},
                                          QStringLiteral("test"));
        QCOMPARE(plot, 4);
        QCOMPARE(target
                     .scalar(QStringLiteral("SELECT 行 FROM change_history WHERE id > ?"), {history},
                             QStringLiteral("test"))
                     .toLongLong(),
                 4);
    }
};

QTEST_GUILESS_MAIN(ServerCopyTest)
#include "tst_servercopy.moc"
