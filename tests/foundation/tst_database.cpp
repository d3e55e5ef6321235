#include "foundation/columncatalogue.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/officelock.h"
#include "foundation/passwordhash.h"
#include "foundation/schemaplan.h"
#include "shared/positionkey.h"
#include "shared/rights.h"
#include "shared/schema.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlRecord>
#include <QSysInfo>
#include <QTest>
#include <QUuid>

namespace {

// Runs `work` on a connection of its own to `file`, outside the Database class, as another
// version of the program would.
void onRawConnection(const QString& file, const std::function<void(QSqlQuery&)>& work) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        connection.setDatabaseName(file);
        QVERIFY(connection.open());
        QSqlQuery query(connection);
        work(query);
    }
    QSqlDatabase::removeDatabase(name);
}

void run(QSqlQuery& query, const QString& sql) {
    QVERIFY2(query.exec(sql), qPrintable(sql + QLatin1Char(' ') + query.lastError().text()));
}

QStringList rowsOf(QSqlQuery& query, const QString& sql) {
    run(query, sql);
    QStringList rows;
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < query.record().count(); ++i)
            fields << (query.isNull(i) ? QStringLiteral("NULL") : query.value(i).toString());
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

// The tables triggers derive from the office's names, burials and payments.
QString notDerived(const QString& name) {
    return QStringLiteral(R"(%1 NOT LIKE '%name\_%' ESCAPE '\' AND %1 NOT LIKE 'lamp\_%' ESCAPE '\')")
        .arg(name);
}

// Everything of a database file but its row keys: each table's columns (with type, default and
// whether generated), its indexes and unique constraints, and its rows by rowid; and the version. The
// change history of later versions records the test's own writes and is left out, as are the name pieces
// and pinyin, derived from the names and keyed by what a lookup asks, and the readings they come from.
QStringList contentsWithoutRowKeys(const QString& file) {
    QStringList contents;
    onRawConnection(file, [&](QSqlQuery& query) {
        contents << rowsOf(query, QStringLiteral("PRAGMA user_version"));
        const QStringList tables = rowsOf(
            query,
            QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                           "AND name NOT LIKE 'change%' AND ") +
                notDerived(QStringLiteral("name")) +
                QStringLiteral(" AND name <> 'online_desks' ORDER BY name"));
        for (const QString& table : tables) {
            const QString quoted = QLatin1Char('\'') + table + QLatin1Char('\'');
            // Columns later versions add are not the first version's.
            const QString kept = table == QLatin1String("gm_xf1")
                                     ? QStringLiteral("name NOT IN ('rid', '预交金额', '余额')")
                                     : QStringLiteral("name <> 'rid'");
            contents << table
                     << rowsOf(query,
                               QStringLiteral("SELECT name, type, \"notnull\", dflt_value, hidden FROM "
                                              "pragma_table_xinfo(%1) WHERE %2")
                                   .arg(quoted, kept))
                     << rowsOf(query,
                               QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' "
                                              "AND tbl_name = %1 AND sql IS NOT NULL ORDER BY name")
                                   .arg(quoted))
                     << rowsOf(query, QStringLiteral("SELECT l.\"unique\", group_concat(i.name) FROM "
                                                     "pragma_index_list(%1) l, pragma_index_info(l.name) i "
                                                     "WHERE l.origin = 'u' GROUP BY l.name")
                                          .arg(quoted));
            const QString columns =
                rowsOf(query,
                       QStringLiteral("SELECT name FROM pragma_table_xinfo(%1) WHERE %2").arg(quoted, kept))
                    .join(QStringLiteral(", "));
            contents << rowsOf(query,
                               QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(columns, table));
        }
    });
    return contents;
}

// The tables whose first column is not their own integer key.
QStringList tablesWithoutRowKey(QSqlQuery& query) {
    return rowsOf(query,
                  QStringLiteral("SELECT m.name FROM sqlite_master m WHERE m.type = 'table' AND "
                                 "m.name NOT LIKE 'sqlite%' AND ") +
                      notDerived(QStringLiteral("m.name")) +
                      QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM pragma_table_info(m.name) c WHERE "
                                     "c.cid = 0 AND c.pk = 1 AND c.type = 'INTEGER' AND c.name IN ('id', "
                                     "'rid'))"));
}

} // namespace

class DatabaseTest : public QObject {
    Q_OBJECT

private slots:
    void theSchemaAndTheColumnCatalogueAgree() {
        TestData data;
        using ColumnCatalogue::Kind;
        QSet<QString> realColumns;
        QSqlQuery columns = data.db().exec(
            QStringLiteral("SELECT m.name, c.name, c.type FROM sqlite_master m, pragma_table_xinfo(m.name) c "
                           "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite%'"),
            {}, QStringLiteral("test"));
        int seen = 0;
        while (columns.next()) {
            ++seen;
            const QString where =
                columns.value(0).toString() + QLatin1Char('.') + columns.value(1).toString();
            const QString column = columns.value(1).toString();
            const QString type = columns.value(2).toString();
            const Kind kind = ColumnCatalogue::kindOf(column);
            QVERIFY2(!type.isEmpty(), qPrintable(where));
            // Amounts and measures are REAL and known to the catalogue; dates are text.
            if (type == QLatin1String("REAL")) {
                QVERIFY2(kind != Kind::Plain && kind != Kind::Date, qPrintable(where));
                realColumns << column.toLower();
            }
            if (kind == Kind::Date)
                QCOMPARE(type, QStringLiteral("TEXT"));
            if (kind == Kind::Money || kind == Kind::Share || kind == Kind::Count)
                QVERIFY2(type == QLatin1String("REAL"), qPrintable(where));
        }
        QVERIFY(seen > 280);
        QVERIFY(realColumns.contains(QStringLiteral("管理费")));
        QCOMPARE(data.db().schemaVersion(), Schema::latestVersion());
    }

    void markersAndPlotsAreToldApartAndKeyed() {
        TestData data;
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号) VALUES ('空区', NULL, NULL), ('甲区', '2', NULL), "
            "('甲区', '1', '0007'), ('乙区', '', '0003')"));
        data.sql(QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 号) VALUES ('福厅', '1', '0012')"));
        QCOMPARE(data.count(QStringLiteral("mq_wz"), QStringLiteral("号 IS NOT NULL AND 号 <> ''")), 2);
        QCOMPARE(data.count(QStringLiteral("mq_wz"), QStringLiteral("墓碑位置 IS NULL")), 2);
        // The stored key and the key builder agree, with and without a row.
        for (const QString& key :
             {PositionKey::plot(QStringLiteral("甲区"), QStringLiteral("1"), QStringLiteral("7")),
              PositionKey::plot(QStringLiteral("乙区"), QString(), QStringLiteral("3"))})
            QCOMPARE(data.count(QStringLiteral("mq_wz"), QStringLiteral("墓碑位置 = ?"), {key}), 1);
        QCOMPARE(data.value(QStringLiteral("SELECT 存放位置 FROM ghjc_wz")).toString(),
                 QStringLiteral("福厅1室0012号"));
    }

    void freshDatabaseShipsAdminAndReferenceRows() {
        TestData data;
        QSqlQuery admin = data.db().exec(
            QStringLiteral("SELECT 级别, 权限字符, 打印报表, 口令 FROM czy WHERE 操作员 = 'Admin'"), {},
            QStringLiteral("test"));
        QVERIFY(admin.next());
        QCOMPARE(admin.value(0).toString(), QStringLiteral("系统员"));
        QCOMPARE(admin.value(1).toString(), QString(40, QLatin1Char('f')));
        for (const auto& report : Rights::reportCatalogue())
            QVERIFY2(Rights::reportListAllows(admin.value(2).toString(), report.name),
                     qPrintable(report.name));
        // Every office gets its own salt, and the shipped password opens it.
        QTemporaryDir dir;
        Database other(dir.filePath(QStringLiteral("other.db")), Database::Mode::Create);
        const QString hash = admin.value(3).toString();
        QVERIFY(PasswordHash::matches(hash, PasswordHash::shippedPassword()));
        QVERIFY(hash != other
                            .scalar(QStringLiteral("SELECT 口令 FROM czy WHERE 操作员 = 'Admin'"), {},
                                    QStringLiteral("test"))
                            .toString());
        QCOMPARE(data.count(QStringLiteral("yhxx")), 1);
        QVERIFY(data.count(QStringLiteral("gx")) > 5);
        QCOMPARE(data.count(QStringLiteral("mblx")), 0);
    }

    void version2KeysEveryRowAndKeepsEverythingElseOrNothingAtAll() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("pelu.db"));
        onRawConnection(file, [&](QSqlQuery& query) {
            for (const QString& statement : Schema::migrations().first().statements)
                run(query, statement);
            run(query, QStringLiteral("PRAGMA user_version = 1"));
            QCOMPARE(tablesWithoutRowKey(query).size(), 22);
            // Deleted rows leave gaps in the rowids that the new keys must keep.
            run(query,
                QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号, 样式, 墓地费, 状态, 寿穴) VALUES "
                               "('甲区', '1', '0001', '单人墓', 1200.5, '已购', 1), "
                               "('甲区', '1', '0002', '双人墓', 900, '未使用', 0), ('乙区', NULL, NULL, "
                               "NULL, NULL, NULL, NULL), ('乙区', '', '0003', '单人墓', 0, '已预订', 0)"));
            run(query, QStringLiteral("DELETE FROM mq_wz WHERE 号 = '0002'"));
            run(query, QStringLiteral("INSERT INTO ghjc_wz (厅, 室, 层, 号, 价位, 状态) VALUES "
                                      "('福厅', '2', '3', '0012', 800, '未使用')"));
            run(query, QStringLiteral("DELETE FROM gx WHERE gx = '兄弟'"));
            run(query, QStringLiteral("INSERT INTO gx (gx) VALUES ('表亲')"));
            run(query,
                QStringLiteral("INSERT INTO MwxsSjdtj (类型, 位置数, 百分比) VALUES ('单人墓', 3, 0.75), "
                               "('双人墓', 1, 0.25)"));
            run(query, QStringLiteral(
                           "INSERT INTO gm_xf1 (id, 墓碑位置, 合计) VALUES (7, '甲区1排0001号', 1200.5)"));
        });
        QStringList version1 = contentsWithoutRowKeys(file);

        // A failure halfway, after some tables were rebuilt, leaves version 1 as it was.
        QVERIFY_THROWS_EXCEPTION(DatabaseError, Database(file, Database::Mode::Open, 6));
        QCOMPARE(contentsWithoutRowKeys(file), version1);

        {
            Database upgraded(file, Database::Mode::Open);
            QCOMPARE(upgraded.schemaVersion(), Schema::latestVersion());
            // The generated key is still computed for new rows, and still looked up through its index.
            upgraded.exec(QStringLiteral("INSERT INTO mq_wz (墓区, 排, 号) VALUES ('丙区', '4', '0009')"), {},
                          QStringLiteral("test"));
            QCOMPARE(upgraded.scalar(QStringLiteral("SELECT rid FROM mq_wz WHERE 墓碑位置 = '丙区4排0009号'"),
                                     {}, QStringLiteral("test")),
                     QVariant(5));
            QSqlQuery plan =
                upgraded.exec(QStringLiteral("EXPLAIN QUERY PLAN SELECT rid FROM mq_wz WHERE 墓碑位置 = ?"),
                              {QString()}, QStringLiteral("test"));
            QVERIFY(plan.next());
            QVERIFY2(plan.value(3).toString().contains(QStringLiteral("INDEX mq_wz_key")),
                     qPrintable(plan.value(3).toString()));
            QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                     upgraded.exec(QStringLiteral("INSERT INTO gx (gx) VALUES ('表亲')"), {},
                                                   QStringLiteral("test")));
            upgraded.exec(QStringLiteral("DELETE FROM mq_wz WHERE rid = 5"), {}, QStringLiteral("test"));
        }
        // Every row, value, column, index and constraint is kept, each row keyed by its old rowid.
        QStringList version2 = contentsWithoutRowKeys(file);
        QCOMPARE(version2.takeFirst(), QString::number(Schema::latestVersion()));
        // Later versions add indexes of their own.
        version2.removeIf([&](const QString& line) {
            return (line.contains(QStringLiteral("|CREATE INDEX")) ||
                    line.contains(QStringLiteral("|CREATE UNIQUE INDEX"))) &&
                   !version1.contains(line);
        });
        // ...and drop those whose columns begin another index.
        version1.removeIf([](const QString& line) {
            for (const char* dropped :
                 {"gm_xf1_moment", "cjdd_key", "gm_dj_bought", "gm_dj_key", "mq_wz_state"})
                if (line.contains(QStringLiteral("|CREATE INDEX %1 ON").arg(QLatin1String(dropped))))
                    return true;
            return false;
        });
        QCOMPARE(version2, version1.mid(1));
        onRawConnection(file, [&](QSqlQuery& query) {
            QCOMPARE(tablesWithoutRowKey(query), QStringList());
            QCOMPARE(rowsOf(query, QStringLiteral("SELECT rid, 墓碑位置 FROM mq_wz ORDER BY rid")),
                     QStringList({QStringLiteral("1|甲区1排0001号"), QStringLiteral("3|NULL"),
                                  QStringLiteral("4|乙区0003号")}));
        });

        // A new office goes through both versions.
        TestData fresh;
        onRawConnection(fresh.db().filePath(),
                        [&](QSqlQuery& query) { QCOMPARE(tablesWithoutRowKey(query), QStringList()); });
    }

    void reopeningKeepsDataAndDoesNotMigrateTwice() {
        QTemporaryDir dir;
        DataFolder folder(dir.path());
        folder.prepare();
        { Database first(folder.databaseFile(), Database::Mode::Create); }
        Database second(folder.databaseFile(), Database::Mode::Open);
        QCOMPARE(
            second.scalar(QStringLiteral("SELECT count(*) FROM czy"), {}, QStringLiteral("test")).toInt(), 1);
    }

    // Rows are read by name: a misspelt column is an error rather than a blank field, and an empty number
    // reads as empty on both engines.
    void rowsAreReadByTheirColumnsNames() {
        TestData data;
        data.sql(QStringLiteral(
            "INSERT INTO mq_wz (墓区, 排, 号, 墓地费, 状态) VALUES ('甲区', '2', '0007', NULL, "
            "'未使用'), ('甲区', '2', '0008', 1234.567, '已购'), ('甲区甲', '2', '0009', 5, '已购')"));
        Database& db = data.db();
        const QList<StoredRow> rows =
            db.rows(QStringLiteral("SELECT 号, 墓地费, 状态 FROM mq_wz WHERE 墓区 = ? ORDER BY 号"),
                    {QStringLiteral("甲区")}, QStringLiteral("test"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).text(QStringLiteral("墓地费")), QString());
        QCOMPARE(rows.at(1).number(QStringLiteral("墓地费")), 1234.567);
        QCOMPARE(rows.at(1).text(QStringLiteral("号")) + rows.at(1).text(QStringLiteral("状态")),
                 QStringLiteral("0008已购"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, rows.at(0).text(QStringLiteral("墓地")));
        QVERIFY(!db.row(QStringLiteral("SELECT 号 FROM mq_wz WHERE 墓区 = ?"), {QStringLiteral("乙区")},
                        QStringLiteral("test")));
    }

    void aFailedWriteLeavesNothingHalfWritten() {
        TestData data;
        const QString before = data.dump(QStringLiteral("mq_wz"));
        data.db().failNthWrite(3);
        bool failed = false;
        try {
            data.db().transaction([&] {
                for (int n = 1; n <= 5; ++n)
                    data.db().exec(QStringLiteral("INSERT INTO mq_wz (墓区, 号) VALUES ('甲区', ?)"),
                                   {PositionKey::fourDigitNumber(QString::number(n))},
                                   QStringLiteral("写入墓位"));
            });
        } catch (const DatabaseError& error) {
            failed = true;
            QVERIFY(error.message().contains(QStringLiteral("写入墓位")));
        }
        QVERIFY(failed);
        QCOMPARE(data.dump(QStringLiteral("mq_wz")), before);

        // The next action works normally again.
        data.db().failNthWrite(0);
        data.db().transaction([&] { data.sql(QStringLiteral("INSERT INTO mq_wz (墓区) VALUES ('乙区')")); });
        QCOMPARE(data.count(QStringLiteral("mq_wz")), 1);
    }

    void leavingATransactionWithoutCommitRollsBack() {
        TestData data;
        {
            Transaction outer(data.db());
            data.sql(QStringLiteral("INSERT INTO gx (gx) VALUES ('表亲')"));
            {
                Transaction inner(data.db());
                data.sql(QStringLiteral("INSERT INTO gx (gx) VALUES ('邻居')"));
                // inner leaves without commit: only its own row goes
            }
            outer.commit();
        }
        QCOMPARE(data.count(QStringLiteral("gx"), QStringLiteral("gx = '表亲'")), 1);
        QCOMPARE(data.count(QStringLiteral("gx"), QStringLiteral("gx = '邻居'")), 0);
    }

    void changesAreToldOnlyOnceCommitted() {
        TestData data;
        Database& db = data.db();
        QSignalSpy heard(&db.changes(), &ChangeNotifier::changed);
        const auto plots = [](const char* area) {
            return QVariantList{QVariant::fromValue(ChangeNotifier::Subject::Plots), QString::fromUtf8(area)};
        };
        {
            Transaction outer(db);
            db.notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("甲区"));
            {
                Transaction inner(db);
                db.notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("乙区"));
                // rolled back: its notice goes with it
            }
            {
                Transaction inner(db);
                db.notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("丙区"));
                db.notifyChange(ChangeNotifier::Subject::Plots, QStringLiteral("甲区"));
                inner.commit();
            }
            QCOMPARE(heard.size(), 0); // nothing is real before the outermost commit
            outer.commit();
        }
        QCOMPARE(heard.size(), 2);
        QCOMPARE(heard.at(0), plots("甲区"));
        QCOMPARE(heard.at(1), plots("丙区"));

        heard.clear();
        try {
            db.transaction([&] {
                db.notifyChange(ChangeNotifier::Subject::Reservations);
                throw DatabaseError(QStringLiteral("失败"));
            });
        } catch (const DatabaseError&) {
        }
        QCOMPARE(heard.size(), 0);
        db.notifyChange(ChangeNotifier::Subject::Reservations); // outside any transaction: at once
        QCOMPARE(heard.size(), 1);
    }

    void databasesThisProgramDoesNotKnowAreRefusedUntouched() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("pelu.db"));
        const auto bytes = [&] {
            QFile read(file);
            return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray("unreadable");
        };
        const auto refused = [&](Database::Mode mode, const QString& saying) {
            const QByteArray before = bytes();
            try {
                Database database(file, mode);
            } catch (const DatabaseError& error) {
                return error.message().contains(file) && error.message().contains(saying) &&
                       bytes() == before;
            }
            return false;
        };
        // Versions from a newer program, and versions no program of ours ever wrote.
        for (const int version : {99, -1, -2147483647}) {
            {
                Database database(file, Database::Mode::Create);
                database.exec(QStringLiteral("PRAGMA user_version = %1").arg(version), {},
                              QStringLiteral("test"));
            }
            QVERIFY2(refused(Database::Mode::Create, QString::number(version)),
                     qPrintable(QString::number(version)));
            QVERIFY(refused(Database::Mode::Open, QString::number(version)));
            QFile::remove(file);
        }
        // Another program's tables and no version.
        {
            Database database(file, Database::Mode::Create);
            database.exec(QStringLiteral("PRAGMA user_version = 0"), {}, QStringLiteral("test"));
        }
        QVERIFY(refused(Database::Mode::Create, QStringLiteral("不是本程序的数据库")));
        QFile::remove(file);

        // An empty file is a new office only when one is asked for.
        QFile empty(file);
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        QVERIFY(refused(Database::Mode::Open, QStringLiteral("空的")));
        QCOMPARE(QFileInfo(file).size(), 0);
        QFile::remove(file);
        QVERIFY(refused(Database::Mode::Open, QStringLiteral("不存在")));
        QVERIFY(!QFileInfo::exists(file));
        { Database created(file, Database::Mode::Create); }
        Database opened(file, Database::Mode::Open);
        QCOMPARE(opened.schemaVersion(), Schema::latestVersion());
    }

    // Database runs the plan the program names, and opens nothing without one.
    void officesOpenOnlyByTheNamedPlan() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("pelu.db"));
        const QString doing = QStringLiteral("test");
        int completions = 0;
        SchemaPlan plan{
            {{{QStringLiteral("CREATE TABLE t (n INTEGER)")},
              [&](Database& db) { db.exec(QStringLiteral("INSERT INTO t (n) VALUES (7)"), {}, doing); }}},
            {},
            [&](Database&) { ++completions; },
            {}};
        const SchemaPlan* office = Database::useSchema(&plan);
        const auto restore = qScopeGuard([&] { Database::useSchema(office); });
        const auto refusal = [&](const QString& path, Database::Mode mode) {
            try {
                Database database(path, mode);
            } catch (const DatabaseError& error) {
                return error.message();
            }
            return QString();
        };

        { Database created(file, Database::Mode::Create); }
        // A later program adds a step: opening runs that one only, then completes; reading completes nothing.
        plan.steps.append({{QStringLiteral("INSERT INTO t (n) VALUES (8)")}, {}});
        {
            Database opened(file, Database::Mode::Open);
            QCOMPARE(opened.schemaVersion(), 2);
            QCOMPARE(opened.texts(QStringLiteral("SELECT n FROM t ORDER BY n"), {}, doing),
                     QStringList({QStringLiteral("7"), QStringLiteral("8")}));
            Database reading(file, Database::Mode::ReadOnly);
        }
        QCOMPARE(completions, 2);
        // The program's own plan says which versions are too new for it.
        plan.steps.removeLast();
        QVERIFY(refusal(file, Database::Mode::ReadOnly).contains(QStringLiteral("只认识到版本 1")));

        Database::useSchema(nullptr);
        const QString fresh = dir.filePath(QStringLiteral("fresh.db"));
        for (const auto mode : {Database::Mode::Create, Database::Mode::Open, Database::Mode::ReadOnly}) {
            QVERIFY(refusal(file, mode).contains(file));
            QVERIFY(!refusal(fresh, mode).isEmpty());
        }
        QVERIFY(!QFileInfo::exists(fresh));
        QCOMPARE(completions, 2);
    }

    void unusablePlacesAreNamedInTheMessage() {
        QTemporaryDir dir;
        const QString plainFile = dir.filePath(QStringLiteral("plain-file"));
        QFile file(plainFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a database");
        file.close();
        const auto refusesNaming = [](const std::function<void()>& open, const QString& path) {
            try {
                open();
            } catch (const DatabaseError& error) {
                return error.message().contains(path);
            }
            return false;
        };
        QVERIFY(refusesNaming([&] { DataFolder(plainFile + QStringLiteral("/sub")).prepare(); }, plainFile));
        QVERIFY(refusesNaming([&] { Database garbage(plainFile, Database::Mode::Open); }, plainFile));
        QVERIFY(refusesNaming([&] { Database folder(dir.path(), Database::Mode::Create); }, dir.path()));
        QVERIFY(refusesNaming(
            [&] {
                Database missing(dir.filePath(QStringLiteral("nowhere/pelu.db")), Database::Mode::Create);
            },
            dir.filePath(QStringLiteral("nowhere"))));
    }

    void theOfficeLockTellsARunningCopyFromLeftovers() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("pelu.lock"));
        const auto leave = [&](const QByteArray& contents) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(contents);
        };
        // Leftovers are cleared and taken: empty, garbage, a process of this computer that is gone.
        const QByteArray here = QSysInfo::machineHostName().toUtf8();
        const QByteArray goneHere = "999999999\npelu\n" + here + "\n";
        for (const QByteArray& leftover : {QByteArray(), QByteArray("\x01garbage"), goneHere}) {
            leave(leftover);
            OfficeLock lock(path);
            QCOMPARE(lock.take(), OfficeLock::Outcome::Taken);
        }
        // A copy that holds the lock is told apart, and keeps its lock.
        {
            OfficeLock running(path);
            QCOMPARE(running.take(), OfficeLock::Outcome::Taken);
            OfficeLock second(path);
            QCOMPARE(second.take(), OfficeLock::Outcome::HeldByRunningCopy);
        }
        // Another computer's lock and a folder in the way are reported with the path.
        const auto refused = [&](const QString& saying) {
            try {
                OfficeLock(path).take();
            } catch (const DatabaseError& error) {
                return error.message().contains(path) && error.message().contains(saying);
            }
            return false;
        };
        leave("4242\npelu\nfront-desk-2\n");
        QVERIFY(refused(QStringLiteral("front-desk-2")));
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pelu.lock")));
        QVERIFY(refused(QStringLiteral("文件夹")));
    }

    void readOnlyConnectionsCannotWrite() {
        TestData data;
        Database reader(data.db().filePath(), Database::Mode::ReadOnly);
        QVERIFY_THROWS_EXCEPTION(DatabaseError,
                                 reader.exec(QStringLiteral("DELETE FROM czy"), {}, QStringLiteral("test")));
        QCOMPARE(data.count(QStringLiteral("czy")), 1);
    }
};

QTEST_GUILESS_MAIN(DatabaseTest)
#include "tst_database.moc"
