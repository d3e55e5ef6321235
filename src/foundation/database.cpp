#include "foundation/database.h"

#include "foundation/bulkkeys.h"
#include "foundation/clock.h"
#include "foundation/datetext.h"
#include "foundation/maintenancelock.h"
#include "foundation/regularfile.h"
#include "foundation/schemaplan.h"
#include "foundation/serverroles.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaEnum>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QTimer>
#include <QUuid>
#include <memory>
#include <sqlite3.h>
#include <utility>

DatabaseError::DatabaseError(const QString& message, const QString& engineCode, Link link)
    : std::runtime_error(message.toStdString()), m_message(message), m_engineCode(engineCode), m_link(link) {}

bool DatabaseError::isConflict() const {
    // The server's codes for "could not serialize access" and "deadlock detected".
    return m_engineCode == QLatin1String("40001") || m_engineCode == QLatin1String("40P01");
}

DatabaseTarget DatabaseTarget::file(const QString& path) {
    DatabaseTarget target;
    target.filePath = path;
    return target;
}

QString DatabaseTarget::describe() const {
    if (!isServer())
        return filePath;
    return QStringLiteral("%1@%2:%3/%4")
        .arg(user, host.isEmpty() ? QStringLiteral("localhost") : host)
        .arg(port)
        .arg(database);
}

namespace {

// The program's one plan of its tables, named before the first opening.
const SchemaPlan* schemaPlan = nullptr;

bool isWrite(const QString& sql) {
    const QString head = sql.trimmed().left(8).toUpper();
    return head.startsWith(QLatin1String("INSERT")) || head.startsWith(QLatin1String("UPDATE")) ||
           head.startsWith(QLatin1String("DELETE")) || head.startsWith(QLatin1String("REPLACE"));
}

const SystemClock systemClock;

// The one channel on which a server's desks tell each other what they changed: the subject's name, a
// tab, and the scope.
const QString changesChannel = QStringLiteral("pelu_changes");

// A transaction another desk spoiled runs again, up to this many times in all; desks that keep
// colliding wait a few random milliseconds first, so that they do not collide again in step.
constexpr int conflictAttempts = 8;

// What an engine's error code means, in the office's words; empty for codes without a common cause.
QString reasonOf(const QString& code, bool server) {
    if (server) {
        static const QHash<QString, QString> reasons = {
            {QStringLiteral("40001"), QStringLiteral("其他操作员同时修改了相同的记录")},
            {QStringLiteral("40P01"), QStringLiteral("与其他操作员的操作互相等待")},
            {QStringLiteral("23505"), QStringLiteral("记录重复")},
            {QStringLiteral("23503"), QStringLiteral("记录仍被其他记录引用")},
            {QStringLiteral("57014"), QStringLiteral("操作超时，已被数据库服务器取消")},
            {QStringLiteral("55P03"), QStringLiteral("记录正被其他操作员使用")},
            {QStringLiteral("53100"), QStringLiteral("数据库服务器的磁盘空间不足")},
            {QStringLiteral("53200"), QStringLiteral("数据库服务器的内存不足")},
            {QStringLiteral("57P01"), QStringLiteral("数据库服务器正在关闭")},
            {QStringLiteral("57P02"), QStringLiteral("数据库服务器正在重新启动")},
            {QStringLiteral("57P03"), QStringLiteral("数据库服务器还不能接受连接")},
            {QStringLiteral("42501"), QStringLiteral("数据库用户没有这项权限")},
            {QStringLiteral("25006"), QStringLiteral("只读连接不能修改数据")},
        };
        if (code.startsWith(QLatin1String("08")))
            return QStringLiteral("与数据库服务器的连接出错");
        return reasons.value(code);
    }
    // SQLite's extended codes keep the primary code in their low byte.
    switch (code.toInt() & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库正被其他程序使用");
    case SQLITE_FULL:
        return QStringLiteral("磁盘空间不足");
    case SQLITE_READONLY:
        return QStringLiteral("数据库文件只能读，不能写");
    case SQLITE_IOERR:
        return QStringLiteral("读写磁盘出错");
    case SQLITE_CORRUPT:
        return QStringLiteral("数据库文件已损坏");
    case SQLITE_NOTADB:
        return QStringLiteral("这不是数据库文件，或文件已损坏");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return QStringLiteral("打不开文件：文件夹不存在，或没有权限");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("记录重复或不符合数据规则");
    default:
        return {};
    }
}

// A failure to open, in the office's words where its kind is known (the engine's own words go to the log).
QString explained(const QSqlError& error, bool server) {
    const QString reason = reasonOf(error.nativeErrorCode(), server);
    if (reason.isEmpty())
        return error.text();
    qWarning("%s", qUtf8Printable(error.text()));
    return reason;
}

// Why a server did not take the connection, as far as its words tell: the client library says it in English.
QString explainedConnection(const QSqlError& error, const DatabaseTarget& target) {
    const QString said = error.text();
    const struct {
        const char* says;
        QString means;
    } known[] = {
        {"password authentication failed",
         QStringLiteral("服务器不接受用户 %1 的口令，请检查 ~/.pgpass（或 PGPASSFILE 指定的文件）中的口令。")
             .arg(target.user)},
        {"no password supplied",
         QStringLiteral("服务器要求口令，但 ~/.pgpass（或 PGPASSFILE 指定的文件）中没有用户 %1 的口令。")
             .arg(target.user)},
        {"does not exist", QStringLiteral("服务器上没有这个数据库或用户，请检查 pelu.ini 的 [peludb]。")},
        {"Connection refused", QStringLiteral("服务器没有开着，或不接受连接。请检查服务器和网络。")},
        {"timeout expired", QStringLiteral("服务器在 10 秒内没有回答。请检查服务器和网络。")},
        {"could not translate host name", QStringLiteral("找不到这个服务器名，请检查 pelu.ini 的 host。")},
    };
    for (const auto& [says, means] : known)
        if (said.contains(QLatin1String(says))) {
            qWarning("%s", qUtf8Printable(said));
            return means;
        }
    return said;
}

// What the clerk can do about a failure of a known kind.
QString adviceFor(const QString& reason) {
    if (reason.contains(QLatin1String("磁盘空间不足")))
        return QStringLiteral("请腾出磁盘空间后再试，这次操作没有保存。");
    if (reason.contains(QLatin1String("正被其他")))
        return QStringLiteral("请稍候再试，这次操作没有保存。");
    if (reason.contains(QLatin1String("只能读")))
        return QStringLiteral("请让管理员给数据文件夹写的权限。");
    if (reason.contains(QLatin1String("损坏")))
        return QStringLiteral("请从备份还原数据。");
    return QStringLiteral("这次操作没有保存。");
}

// The office reads the reason in its words; what the engine said in English goes to the log. A failure
// without a known reason shows the engine's words, which is better than none.
QString worded(const QString& doing, const QString& reason, const QString& said) {
    const QString detail = said.trimmed();
    if (reason.isEmpty())
        return QStringLiteral("数据库错误（%1）：%2")
            .arg(doing, detail.isEmpty() ? QStringLiteral("原因不明") : detail);
    if (!detail.isEmpty())
        qWarning("数据库错误（%s）：%s", qUtf8Printable(doing), qUtf8Printable(detail));
    return QStringLiteral("数据库错误（%1）：%2。%3").arg(doing, reason, adviceFor(reason));
}

} // namespace

Database::Database(const QString& filePath, Mode mode, int failNthWrite)
    : Database(DatabaseTarget::file(filePath), mode, failNthWrite) {}

const SchemaPlan* Database::useSchema(const SchemaPlan* plan) {
    return std::exchange(schemaPlan, plan);
}

Database::Database(const DatabaseTarget& target, Mode mode, int failNthWrite)
    : m_target(target), m_mode(mode), m_connectionName(QUuid::createUuid().toString()), m_clock(&systemClock),
      m_failAtWrite(failNthWrite) {
    // Without its plan a database could be neither checked nor upgraded: it is not opened at all.
    if (!schemaPlan)
        throw DatabaseError(QStringLiteral("程序没有指定数据库结构，不能打开 %1。").arg(target.describe()));
    if (!target.isServer()) {
        const QFileInfo file(target.filePath);
        if (!file.absoluteDir().exists())
            throw DatabaseError(QStringLiteral("数据库文件所在的文件夹不存在：%1").arg(file.absolutePath()));
        if (file.isDir())
            throw DatabaseError(QStringLiteral("数据库文件的位置是一个文件夹：%1").arg(target.filePath));
        // SQLite would wait for ever on a pipe.
        if (RegularFile::isOtherThing(target.filePath))
            throw DatabaseError(QStringLiteral("数据库文件不是普通文件（可能是管道或设备），不能打开：%1")
                                    .arg(target.filePath));
        if (mode != Mode::Create && !file.exists())
            throw DatabaseError(QStringLiteral("数据库文件不存在：%1\n"
                                               "新建数据库请运行 pelu --create-database。")
                                    .arg(target.filePath));
    }

    m_connection = QSqlDatabase::addDatabase(
        target.isServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE"), m_connectionName);
    try {
        if (!m_connection.isValid())
            throw DatabaseError(QStringLiteral("无法连接数据库服务器：缺少 PostgreSQL 驱动（QPSQL），"
                                               "请安装 libqt6sql6-psql。"));
        // The driver outlives reconnections; what it hears once this desk listens is another desk's
        // notice. This desk's own were sent to its windows at its commit already.
        if (target.isServer())
            QObject::connect(m_connection.driver(), &QSqlDriver::notification, &m_changes,
                             [this](const QString& channel, QSqlDriver::NotificationSource source,
                                    const QVariant& payload) {
                                 if (channel == changesChannel && source == QSqlDriver::OtherSource)
                                     heardFromOtherDesk(payload.toString());
                             });
        connect(mode);
    } catch (...) {
        m_connection.close();
        m_connection = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

void Database::connect(Mode mode) {
    if (isServer())
        connectServer(mode);
    else
        connectFile(mode);
    if (mode == Mode::ReadOnly || mode == Mode::Empty)
        return;
    createSchema();
    if (isServer())
        listenToOtherDesks();
}

void Database::createSchema() {
    migrate();
    m_recordsHistory = hasHistory();
    if (schemaPlan->completeOnOpening)
        schemaPlan->completeOnOpening(*this);
}

void Database::connectFile(Mode mode) {
    const QString& path = m_target.filePath;
    m_connection.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
    if (mode == Mode::ReadOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    m_connection.setConnectOptions(options);
    if (!m_connection.open())
        throw DatabaseError(QStringLiteral("无法打开数据库文件：%1\n%2")
                                .arg(path, explained(m_connection.lastError(), false)));

    // A file that is not a database only shows itself at the first read.
    QSqlQuery probe(m_connection);
    if (!probe.exec(QStringLiteral("PRAGMA user_version")) || !probe.next())
        throw DatabaseError(
            QStringLiteral("无法读取数据库文件：%1\n%2").arg(path, explained(probe.lastError(), false)));
    const int version = probe.value(0).toInt();
    probe.finish();
    checkVersion(version, mode);
    if (mode == Mode::ReadOnly) {
        exec(QStringLiteral("PRAGMA query_only = 1"), {}, QStringLiteral("以只读方式打开数据库"));
        return;
    }
    // A file the operator may read but not write would fail at the first save: say so now. Taking
    // the write lock is not enough to find out; a rewrite of the version that is rolled back is.
    QSqlQuery writeProbe(m_connection);
    const bool writable = writeProbe.exec(QStringLiteral("BEGIN")) &&
                          writeProbe.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    const QString reason = explained(writeProbe.lastError(), false);
    writeProbe.exec(QStringLiteral("ROLLBACK"));
    if (!writable)
        throw DatabaseError(QStringLiteral("数据库文件不可写：%1\n%2").arg(path, reason));
    exec(QStringLiteral("PRAGMA journal_mode = WAL"), {}, QStringLiteral("设置数据库日志方式"));
    exec(QStringLiteral("PRAGMA foreign_keys = OFF"), {}, QStringLiteral("设置数据库"));
    // Bulk work on a large office (a purge of years, a long run) walks more pages than SQLite's 2 MB
    // cache holds and would read them again and again; the cache only grows as far as it is used.
    exec(QStringLiteral("PRAGMA cache_size = -65536"), {}, QStringLiteral("设置数据库"));
    // Each statement that fires a trigger inside a transaction keeps a journal of the pages it touches,
    // in a temporary file by default: in memory it costs nothing. (It grows only while a savepoint is
    // open, which is why bulk work opens none.)
    exec(QStringLiteral("PRAGMA temp_store = MEMORY"), {}, QStringLiteral("设置数据库"));
}

void Database::connectServer(Mode mode) {
    if (!m_watch)
        m_watch = std::make_unique<ServerWatch>(m_connection);
    m_connection.setHostName(m_target.host);
    m_connection.setPort(m_target.port);
    m_connection.setDatabaseName(m_target.database);
    m_connection.setUserName(m_target.user);
    m_connection.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=pelu"));
    if (!m_connection.open())
        throw DatabaseError(
            QStringLiteral("无法连接数据库服务器：%1\n%2")
                .arg(m_target.describe(), explainedConnection(m_connection.lastError(), m_target)));
    const QString doing = QStringLiteral("设置数据库连接");
    if (scalar(QStringLiteral("SHOW server_encoding"), {}, doing).toString() != QLatin1String("UTF8"))
        throw DatabaseError(QStringLiteral("数据库 %1 的编码不是 UTF8，存不下中文。请用 ENCODING 'UTF8' "
                                           "建立数据库。")
                                .arg(m_target.describe()));
    exec(QStringLiteral("SET client_min_messages = warning"), {}, doing);
    // Each transaction sees the records as if no other desk worked at the same time; a conflict is
    // refused by the server and the transaction runs again (see transaction()).
    exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION ISOLATION LEVEL SERIALIZABLE"), {},
         doing);
    exec(QStringLiteral("SET statement_timeout = %1").arg(m_statementBound.count()), {}, doing);
    if (mode == Mode::ReadOnly)
        exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"), {}, doing);
    const bool versioned = hasTable(QStringLiteral("pelu_schema_version"));
    checkVersion(versioned ? scalar(QStringLiteral("SELECT version FROM pelu_schema_version"), {},
                                    QStringLiteral("读取数据库结构版本"))
                                 .toInt()
                           : 0,
                 mode);
}

void Database::checkVersion(int version, Mode mode) {
    const QString place = m_target.describe();
    const QString noun = isServer() ? QStringLiteral("数据库") : QStringLiteral("数据库文件");
    const QString untouched = QStringLiteral("为免损坏数据，未做任何改动。");
    if (version > schemaPlan->latestVersion())
        throw DatabaseError(QStringLiteral("%1 %2 来自更新版本的程序（结构版本 %3，本程序只认识到版本 %4）。")
                                .arg(noun, place)
                                .arg(version)
                                .arg(schemaPlan->latestVersion()) +
                            untouched);
    if (version < 0)
        throw DatabaseError(
            QStringLiteral("%1 %2 的结构版本 %3 不是本程序认识的版本。").arg(noun, place).arg(version) +
            untouched);
    if (mode == Mode::Empty) {
        if (version > 0 || !tableNames().isEmpty())
            throw DatabaseError(QStringLiteral("%1 %2 不是空的（已有数据表）。").arg(noun, place) +
                                untouched);
        return;
    }
    if (version > 0 || mode == Mode::ReadOnly)
        return;
    // Only --create-database makes a new office; at a normal start an empty database is a lost one.
    if (!tableNames().isEmpty())
        throw DatabaseError(
            QStringLiteral("%1 %2 不是本程序的数据库（已有数据表，但没有结构版本）。").arg(noun, place) +
            untouched);
    if (mode == Mode::Open)
        throw DatabaseError(QStringLiteral("%1是空的：%2\n"
                                           "它可能已损坏或被替换。新建数据库请运行 pelu --create-database。")
                                .arg(noun, place));
}

Database::~Database() {
    // As the office's tables grow, the planner's knowledge of them is renewed where this connection's
    // queries would gain by it (a sample, so a large office is not held up).
    if (!isServer() && m_mode != Mode::ReadOnly && m_connection.isOpen()) {
        QSqlQuery optimize(m_connection);
        optimize.exec(QStringLiteral("PRAGMA analysis_limit = 400"));
        optimize.exec(QStringLiteral("PRAGMA optimize"));
    }
    m_connection.close();
    m_connection = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

int Database::schemaVersion() {
    const QString doing = QStringLiteral("读取数据库结构版本");
    if (!isServer())
        return scalar(QStringLiteral("PRAGMA user_version"), {}, doing).toInt();
    if (!hasTable(QStringLiteral("pelu_schema_version")))
        return 0;
    return scalar(QStringLiteral("SELECT version FROM pelu_schema_version"), {}, doing).toInt();
}

void Database::writeSchemaVersion(int version) {
    const QString doing = QStringLiteral("记录数据库结构版本");
    if (!isServer()) {
        exec(QStringLiteral("PRAGMA user_version = %1").arg(version), {}, doing);
        return;
    }
    // A server database has no version number of its own: it is kept in a table of one row.
    if (!hasTable(QStringLiteral("pelu_schema_version"))) {
        exec(QStringLiteral("CREATE TABLE pelu_schema_version (version INTEGER NOT NULL)"), {}, doing);
        exec(QStringLiteral("INSERT INTO pelu_schema_version (version) VALUES (0)"), {}, doing);
    }
    exec(QStringLiteral("UPDATE pelu_schema_version SET version = ?"), {version}, doing);
}

void Database::migrate() {
    const auto& steps = schemaPlan->steps;
    const int stored = schemaVersion();
    // A desk's role may not change tables: the owner upgrades, once, for every desk.
    if (isServer() && stored > 0 && stored < steps.size() && !ServerRoles::mayChangeSchema(*this))
        throw DatabaseError(
            QStringLiteral("数据库 %1 的结构是版本 %2，本程序要用版本 %3。升级要用数据表的所有者："
                           "请在维护数据库的电脑上运行 pelu --create-database（pelu.ini 的 "
                           "[peludb] 中 owner= 写所有者）。为免损坏数据，未做任何改动。")
                .arg(m_target.describe())
                .arg(stored)
                .arg(steps.size()));
    // Desks still working would go on with the old tables under their feet.
    std::optional<MaintenanceLock> maintenance;
    if (isServer() && stored > 0 && stored < steps.size() && !MaintenanceLock::heldByThisProgram(*this))
        maintenance.emplace(*this, QStringLiteral("升级数据库"));
    for (int version = stored; version < steps.size(); ++version) {
        // Rows a later step rewrites are recorded like any other change.
        m_recordsHistory = hasHistory();
        transaction([&] {
            const SchemaStep& step = steps.at(version);
            for (const QString& statement : step.statements)
                exec(isServer() && schemaPlan->forServer ? schemaPlan->forServer(statement) : statement, {},
                     QStringLiteral("升级数据库结构到版本 %1").arg(version + 1));
            if (step.seed)
                step.seed(*this);
            writeSchemaVersion(version + 1);
        });
        // A step may have given tables their keys: read them anew.
        m_rowKeys.clear();
    }
    // After a change of the schema a file's query planner learns the office's data anew; a server's
    // autovacuum does that by itself. The sample keeps it short on a large office.
    if (!isServer() && stored > 0 && stored < steps.size()) {
        exec(QStringLiteral("PRAGMA analysis_limit = 1000"), {}, QStringLiteral("分析数据库"));
        exec(QStringLiteral("ANALYZE"), {}, QStringLiteral("分析数据库"));
    }
}

QStringList Database::otherDesks() {
    if (!isServer() || !schemaPlan->otherDesks)
        return {};
    return schemaPlan->otherDesks(*this);
}

bool Database::hasHistory() {
    return hasTable(QStringLiteral("change_context"));
}

void Database::writeChangeContext() {
    // Not counted as a write of the action: an injected failure strikes the action's own statements.
    // A server keeps it in settings of this transaction alone, so that desks never wait for each other
    // over one shared row.
    QSqlQuery query(m_connection);
    query.prepare(isServer() ? QStringLiteral("SELECT set_config('pelu.moment', ?, true), "
                                              "set_config('pelu.operator', ?, true), "
                                              "set_config('pelu.window', ?, true)")
                             : QStringLiteral("UPDATE change_context SET 时间 = ?, 操作员 = ?, 窗口 = ?"));
    query.addBindValue(DateText::fromDateTime(m_clock->now()));
    query.addBindValue(m_operator);
    query.addBindValue(m_window);
    if (!query.exec())
        throw failureOf(QStringLiteral("记录操作员"), query);
    m_contextWritten = true;
}

void Database::startBulk(const QList<BulkChange>& changes) {
    if (!m_recordsHistory)
        return;
    const QString doing = QStringLiteral("记录批量操作");
    if (!m_contextWritten)
        writeChangeContext();
    for (const BulkChange& change : changes) {
        if (change.rows == 0)
            continue;
        const QVariantList values{change.table, change.action,
                                  QStringLiteral("%1，共 %2 行").arg(change.selection).arg(change.rows),
                                  change.keys.isEmpty() ? QVariant()
                                                        : QVariant(BulkKeys::compact(change.keys))};
        // A server's desk may not write the history: its owner's function writes the line and, only
        // with it, stops the row-by-row record for this transaction.
        exec(isServer()
                 ? QStringLiteral("SELECT pelu_record_bulk(?, ?, ?, ?)")
                 : QStringLiteral("INSERT INTO change_history (时间, 操作员, 窗口, 表, 操作, 之后, 位置表) "
                                  "SELECT 时间, 操作员, 窗口, ?, ?, ?, ? FROM change_context"),
             values, doing);
    }
    if (!isServer())
        exec(QStringLiteral("UPDATE change_context SET 批量 = 1"), {}, doing);
}

qint64 Database::deleteInBulk(const QString& table, const QString& condition, const QVariantList& values) {
    const QString doing = QStringLiteral("批量删除");
    const auto deleted = [&] {
        return exec(QStringLiteral("DELETE FROM %1 WHERE %2").arg(table, condition), values, doing)
            .numRowsAffected();
    };
    if (isServer())
        return deleted();
    const qint64 total = scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table, {}, doing).toLongLong();
    const qint64 going =
        scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(table, condition), values, doing)
            .toLongLong();
    if (going * 2 < total)
        return deleted();
    const QList<StoredRow> triggers =
        rows(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE tbl_name = ? AND type = 'trigger' "
                            "ORDER BY name"),
             {table}, doing);
    // The history's triggers write only while change_context.批量 is 0.
    const bool historyOnly = std::all_of(triggers.begin(), triggers.end(), [](const StoredRow& trigger) {
        return trigger.text(QStringLiteral("sql"))
            .contains(QStringLiteral("change_context c WHERE c.批量 = 0"));
    });
    const bool keyed =
        scalar(QStringLiteral("SELECT COUNT(*) FROM pragma_table_info(?) WHERE pk = 1 AND type = 'INTEGER'"),
               {table}, doing)
            .toInt() == 1;
    if (!historyOnly || !keyed)
        return deleted();
    // The stored columns, the row key among them, so that every row goes back under its own key.
    const QString columns =
        texts(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) WHERE hidden = 0 ORDER BY cid"), {table},
              doing)
            .join(QStringLiteral(", "));
    // Set aside in the file, not in memory, where up to half of twenty years could be: the table comes and
    // goes within this transaction.
    exec(QStringLiteral("DROP TABLE IF EXISTS pelu_kept"), {}, doing);
    // A condition that is neither true nor false deletes nothing: those rows stay too.
    exec(QStringLiteral("CREATE TABLE pelu_kept AS SELECT %1 FROM %2 WHERE (%3) IS NOT 1")
             .arg(columns, table, condition),
         values, doing);
    // Without triggers a DELETE of every row clears the table and its indexes page by page instead of
    // row by row.
    for (const StoredRow& trigger : triggers)
        exec(QStringLiteral("DROP TRIGGER ") + trigger.text(QStringLiteral("name")), {}, doing);
    exec(QStringLiteral("DELETE FROM ") + table, {}, doing);
    exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM pelu_kept").arg(table, columns), {}, doing);
    exec(QStringLiteral("DROP TABLE pelu_kept"), {}, doing);
    for (const StoredRow& trigger : triggers)
        exec(trigger.text(QStringLiteral("sql")), {}, doing);
    return going;
}

void Database::endBulk() {
    if (!m_recordsHistory)
        return;
    exec(isServer() ? QStringLiteral("SELECT set_config('pelu.bulk', '', true)")
                    : QStringLiteral("UPDATE change_context SET 批量 = 0"),
         {}, QStringLiteral("记录批量操作"));
}

void Database::endBulkAfterFailure() noexcept {
    // The failure that got here is the one to report; a server's transaction that failed takes no
    // more statements and forgets the bulk setting with it.
    m_bulkFailed = true;
    try {
        endBulk();
    } catch (...) {
    }
}

QSqlQuery Database::prepare(const QString& sql, const QString& doing) {
    QSqlQuery query(m_connection);
    if (query.prepare(sql))
        return query;
    // A server that was restarted since the last statement: outside a transaction nothing is lost by
    // connecting again.
    if (m_savepointDepth == 0 && m_watch && m_watch->connectionLost()) {
        reconnect();
        query = QSqlQuery(m_connection);
        if (query.prepare(sql))
            return query;
    }
    throw failureOf(doing, query);
}

void Database::run(QSqlQuery& query, const QString& doing) {
    execute(query, query.lastQuery(), false, doing);
}

void Database::execute(QSqlQuery& query, const QString& sql, bool direct, const QString& doing) {
    const bool write = isWrite(sql);
    if (write && m_recordsHistory) {
        // A lone write gets a transaction of its own, so that its history carries its own moment.
        if (m_savepointDepth == 0) {
            transaction([&] { execute(query, sql, direct, doing); });
            return;
        }
        if (!m_contextWritten)
            writeChangeContext();
    }
    if (write && m_hookAtWrite > 0 && ++m_hookWritesSeen == m_hookAtWrite) {
        m_hookAtWrite = 0;
        std::exchange(m_beforeWrite, {})();
    }
    if (write && m_failAtWrite > 0 && ++m_writesSeen == m_failAtWrite)
        throw DatabaseError(QStringLiteral("数据库错误（%1）：写入失败（测试注入）").arg(doing));
    try {
        runOnce(query, sql, direct, doing);
    } catch (const DatabaseError& error) {
        // A read outside a transaction on a connection the server closed runs once more on a new one;
        // everything else goes back to the transaction, which knows whether running again is safe.
        if (error.link() != DatabaseError::Link::Lost || m_savepointDepth > 0 || write)
            throw;
        const QVariantList values = query.boundValues();
        reconnect();
        query = QSqlQuery(m_connection);
        if (!direct) {
            if (!query.prepare(sql))
                throw failureOf(doing, query);
            for (int i = 0; i < values.size(); ++i)
                query.bindValue(i, values.at(i));
        }
        runOnce(query, sql, direct, doing);
    }
}

void Database::runOnce(QSqlQuery& query, const QString& sql, bool direct, const QString& doing) {
    if (!m_watch) {
        if (!(direct ? query.exec(sql) : query.exec()))
            throw failureOf(doing, query);
        return;
    }
    // The server's own timeout comes first and keeps the connection; ours is for a server that no
    // longer answers at all.
    const ServerWatch::Deadline deadline(*m_watch, m_statementBound + std::chrono::seconds(5));
    if (direct ? query.exec(sql) : query.exec())
        return;
    if (deadline.expired())
        throw DatabaseError(
            QStringLiteral("数据库错误（%1）：数据库服务器 %2 秒内没有回答，已断开与它的连接，"
                           "这次操作没有保存。下次操作时将重新连接。")
                .arg(doing)
                .arg((m_statementBound + std::chrono::seconds(5)).count() / 1000),
            QString(), DatabaseError::Link::Unanswered);
    throw failureOf(doing, query);
}

DatabaseError Database::failureOf(const QString& doing, const QSqlQuery& query) {
    const QSqlError error = query.lastError();
    const QString code = error.nativeErrorCode();
    if (m_watch && m_watch->connectionLost()) {
        if (m_committing)
            return DatabaseError(
                QStringLiteral(
                    "数据库错误（%1）：提交时与数据库服务器的连接断开，无法确定这次操作是否已经保存，"
                    "请重新打开窗口查看。")
                    .arg(doing),
                code, DatabaseError::Link::Uncertain);
        return DatabaseError(worded(doing, QStringLiteral("与数据库服务器的连接已断开"), error.text()), code,
                             DatabaseError::Link::Lost);
    }
    return DatabaseError(worded(doing, reasonOf(code, isServer()), error.text()), code);
}

void Database::reconnect() {
    m_connection.close();
    try {
        connectServer(m_mode == Mode::ReadOnly ? Mode::ReadOnly : Mode::Open);
    } catch (const DatabaseError& error) {
        throw DatabaseError(
            QStringLiteral("与数据库服务器的连接已断开，重新连接也没有成功。请检查网络和服务器后再试。\n") +
                error.message(),
            QString(), DatabaseError::Link::Lost);
    }
    if (!m_listening)
        return;
    // The closed connection took the listening with it, and whatever the other desks changed while it
    // was gone went unheard: everything open is told to read itself again, once the action that
    // reconnected is over.
    m_listening = false;
    listenToOtherDesks();
    QTimer::singleShot(0, &m_changes, [this] {
        const QMetaEnum subjects = QMetaEnum::fromType<ChangeNotifier::Subject>();
        for (int i = 0; i < subjects.keyCount(); ++i) {
            const auto subject = static_cast<ChangeNotifier::Subject>(subjects.value(i));
            // A restore is heard of only from the desk that made it.
            if (subject != ChangeNotifier::Subject::Restored)
                Q_EMIT m_changes.changed(subject, QString());
        }
    });
}

void Database::listenToOtherDesks() {
    QSqlDriver* driver = m_connection.driver();
    if (m_listening || !driver)
        return;
    // Not hearing the other desks costs liveliness, never work: the desk goes on without.
    m_listening = driver->subscribeToNotification(changesChannel);
    if (!m_listening)
        qWarning("听不到其他操作员的更改通知：%s", qUtf8Printable(driver->lastError().text()));
}

void Database::tellOtherDesks(const QList<std::pair<ChangeNotifier::Subject, QString>>& notices) {
    const QMetaEnum subjects = QMetaEnum::fromType<ChangeNotifier::Subject>();
    for (const auto& [subject, scope] : notices) {
        const QString payload =
            QString::fromLatin1(subjects.valueToKey(static_cast<int>(subject))) + QLatin1Char('\t') + scope;
        exec(QStringLiteral("SELECT pg_notify(?, ?)"), {changesChannel, payload},
             QStringLiteral("通知其他操作员"));
    }
}

void Database::heardFromOtherDesk(const QString& payload) {
    const qsizetype tab = payload.indexOf(QLatin1Char('\t'));
    bool known = false;
    const int subject = QMetaEnum::fromType<ChangeNotifier::Subject>().keyToValue(
        payload.left(tab).toLatin1().constData(), &known);
    // A newer program's subject is not this one's to act on.
    if (tab < 0 || !known)
        return;
    Q_EMIT m_changes.changed(static_cast<ChangeNotifier::Subject>(subject), payload.mid(tab + 1));
}

void Database::setStatementBound(std::chrono::milliseconds bound) {
    m_statementBound = bound;
    if (isServer())
        exec(QStringLiteral("SET statement_timeout = %1").arg(bound.count()), {},
             QStringLiteral("设置数据库连接"));
}

Database::LongWork::LongWork(Database& database) : m_database(database), m_before(database.statementBound()) {
    m_database.setStatementBound(std::chrono::hours(2));
}

Database::LongWork::~LongWork() {
    try {
        m_database.setStatementBound(m_before);
    } catch (const DatabaseError&) {
        // A connection that is gone takes its setting with it; the next connection starts usual.
        m_database.m_statementBound = m_before;
    }
}

QSqlQuery Database::exec(const QString& sql, const QVariantList& values, const QString& doing) {
    // A server prepares only queries and changes of rows: a statement without values (a table's
    // definition, a setting, a transaction's beginning) goes to it as it is.
    if (values.isEmpty() && isServer()) {
        QSqlQuery query(m_connection);
        execute(query, sql, true, doing);
        return query;
    }
    QSqlQuery query = prepare(sql, doing);
    for (const QVariant& value : values)
        query.addBindValue(value);
    run(query, doing);
    return query;
}

qint64 Database::insert(const QString& table, const QList<Column>& columns, const QString& doing) {
    // A lone insert gets its own transaction (see execute): the key it returns is read before that
    // commits, since SQLite does not commit under a statement still handing out rows.
    if (m_savepointDepth == 0 && m_recordsHistory)
        return transaction([&] { return insert(table, columns, doing); });
    // The new key is returned by the statement itself: the last number a server handed out in this
    // session may be the change history's, written by a trigger after the row.
    QStringList names;
    QVariantList values;
    for (const Column& column : columns) {
        names << column.name;
        values << column.value;
    }
    const QString key = rowKeyColumn(table);
    QSqlQuery query =
        exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                     .arg(table, names.join(QStringLiteral(", ")),
                          QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", "))) +
                 (key.isEmpty() ? QString() : QStringLiteral(" RETURNING ") + key),
             values, doing);
    return query.next() ? query.value(0).toLongLong() : 0;
}

QSqlQuery Database::prepareInsert(const QString& table, const QList<Column>& columns, const QString& doing) {
    QStringList names;
    for (const Column& column : columns)
        names << column.name;
    const QString marks = QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", "));
    QSqlQuery query = prepare(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names.join(QStringLiteral(", ")), marks),
        doing);
    for (int i = 0; i < columns.size(); ++i)
        query.bindValue(i, columns.at(i).value);
    return query;
}

QSqlQuery Database::prepareUpdate(const QString& table, const QList<Column>& columns, const QString& where,
                                  const QVariantList& whereValues, const QString& doing) {
    QStringList settings;
    for (const Column& column : columns)
        settings << column.name + QStringLiteral(" = ?");
    QSqlQuery query = prepare(
        QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(table, settings.join(QStringLiteral(", ")), where),
        doing);
    int mark = 0;
    for (const Column& column : columns)
        query.bindValue(mark++, column.value);
    for (const QVariant& value : whereValues)
        query.bindValue(mark++, value);
    return query;
}

QStringList Database::texts(const QString& sql, const QVariantList& values, const QString& doing) {
    QSqlQuery query = exec(sql, values, doing);
    QStringList texts;
    while (query.next())
        texts << query.value(0).toString();
    return texts;
}

QVariant Database::scalar(const QString& sql, const QVariantList& values, const QString& doing) {
    QSqlQuery query = exec(sql, values, doing);
    return query.next() ? query.value(0) : QVariant();
}

std::optional<StoredRow> Database::row(const QString& sql, const QVariantList& values, const QString& doing) {
    QSqlQuery query = exec(sql, values, doing);
    if (!query.next())
        return std::nullopt;
    return StoredRow(query.record());
}

QList<StoredRow> Database::rows(const QString& sql, const QVariantList& values, const QString& doing) {
    QSqlQuery query = exec(sql, values, doing);
    QList<StoredRow> all;
    while (query.next())
        all << StoredRow(query.record());
    return all;
}

void Database::runTransaction(const std::function<void()>& attempt) {
    const bool outermost = m_savepointDepth == 0;
    bool rehearse = outermost && m_rerunEveryTransaction;
    bool reconnected = false;
    for (int tries = 1;; ++tries) {
        // A rehearsed attempt counts its writes again, so that an injected fault strikes the same one.
        const int writesSeen = m_writesSeen;
        const int hookWritesSeen = m_hookWritesSeen;
        try {
            Transaction transaction(*this);
            attempt();
            if (std::exchange(rehearse, false)) {
                m_writesSeen = writesSeen;
                m_hookWritesSeen = hookWritesSeen;
                continue; // rolled back as it leaves the scope
            }
            transaction.commit();
            return;
        } catch (const DatabaseError& error) {
            // Only a whole transaction runs again; a nested one belongs to its outer one. A server
            // that closed the connection rolled the work back: it runs once more on a new connection.
            if (outermost && error.link() == DatabaseError::Link::Lost && !std::exchange(reconnected, true)) {
                reconnect();
                continue;
            }
            if (!error.isConflict() || !outermost || tries == conflictAttempts)
                throw;
            QThread::msleep(QRandomGenerator::global()->bounded(1, 1 + 4 * tries));
        }
    }
}

void Database::notifyChange(ChangeNotifier::Subject subject, const QString& scope) {
    if (m_savepointDepth == 0) {
        if (isServer()) {
            // The change is made; a notice the other desks miss only leaves their windows older.
            try {
                tellOtherDesks({{subject, scope}});
            } catch (const DatabaseError& error) {
                qWarning("%s", qUtf8Printable(error.message()));
            }
        }
        Q_EMIT m_changes.changed(subject, scope);
        return;
    }
    const std::pair<ChangeNotifier::Subject, QString> notice{subject, scope};
    if (!m_pendingChanges.contains(notice))
        m_pendingChanges << notice;
}

void Database::failNthWrite(int n) {
    m_failAtWrite = n;
    m_writesSeen = 0;
}

void Database::beforeNthWrite(int n, const std::function<void()>& hook) {
    m_hookAtWrite = n;
    m_hookWritesSeen = 0;
    m_beforeWrite = hook;
}

QStringList Database::tableNames() {
    const QString doing = QStringLiteral("读取数据库结构");
    if (isServer())
        return texts(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = "
                                    "current_schema() AND table_type = 'BASE TABLE' AND table_name NOT IN "
                                    "('pelu_schema_version', 'pelu_bulk') ORDER BY table_name"),
                     {}, doing);
    return texts(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                                "'sqlite%' ORDER BY name"),
                 {}, doing);
}

QStringList Database::columnNames(const QString& table) {
    const QString doing = QStringLiteral("读取数据库结构");
    if (isServer())
        return texts(QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_schema = "
                                    "current_schema() AND table_name = LOWER(?) ORDER BY ordinal_position"),
                     {table}, doing);
    return texts(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) ORDER BY cid"), {table}, doing);
}

QString Database::rowKeyColumn(const QString& table) {
    const auto known = m_rowKeys.constFind(table);
    if (known != m_rowKeys.constEnd())
        return *known;
    const QString doing = QStringLiteral("读取数据库结构");
    const QString key =
        isServer()
            ? scalar(QStringLiteral("SELECT a.attname FROM pg_index i JOIN pg_attribute a ON a.attrelid = "
                                    "i.indrelid AND a.attnum = ANY (i.indkey) WHERE i.indisprimary AND "
                                    "i.indrelid = CAST(LOWER(?) AS regclass)"),
                     {table}, doing)
                  .toString()
            : scalar(QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE pk > 0"), {table}, doing)
                  .toString();
    m_rowKeys.insert(table, key);
    return key;
}

bool Database::hasTable(const QString& table) {
    const QString doing = QStringLiteral("读取数据库结构");
    if (isServer())
        return scalar(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables WHERE table_schema = "
                                     "current_schema() AND table_name = LOWER(?)"),
                      {table}, doing)
                   .toLongLong() > 0;
    return scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
                  {table}, doing)
               .toLongLong() > 0;
}

Transaction::Transaction(Database& database)
    : m_database(database), m_savepoint(QStringLiteral("work%1").arg(database.m_savepointDepth)),
      m_outermost(database.m_savepointDepth == 0), m_changesBefore(database.m_pendingChanges.size()) {
    // Savepoints only for real nesting. One desk's file takes its write lock at the start, so that a
    // transaction never finds, at its first write, that another connection wrote since it began reading.
    m_database.exec(!m_outermost ? QStringLiteral("SAVEPOINT ") + m_savepoint
                    : m_database.isServer() || m_database.m_mode == Database::Mode::ReadOnly
                        ? QStringLiteral("BEGIN")
                        : QStringLiteral("BEGIN IMMEDIATE"),
                    {}, QStringLiteral("开始事务"));
    if (m_database.m_savepointDepth++ == 0) {
        m_database.m_contextWritten = false;
        m_database.m_bulkFailed = false;
    }
    m_contextWrittenBefore = m_database.m_contextWritten;
}

Transaction::~Transaction() {
    if (!m_finished) {
        // Roll back quietly: an exception may already be on its way out.
        QSqlQuery query(m_database.connection());
        if (m_outermost) {
            query.exec(QStringLiteral("ROLLBACK"));
        } else {
            query.exec(QStringLiteral("ROLLBACK TO ") + m_savepoint);
            query.exec(QStringLiteral("RELEASE ") + m_savepoint);
        }
        m_database.m_pendingChanges.resize(m_changesBefore);
        m_database.m_contextWritten = m_contextWrittenBefore;
        --m_database.m_savepointDepth;
    }
}

void Transaction::commit() {
    // Bulk work that failed left part of its rows behind; whoever caught the failure does not commit them.
    if (m_outermost && m_database.m_bulkFailed)
        throw DatabaseError(QStringLiteral("数据库错误（提交事务）：批量操作没有完成，整个操作没有保存。"));
    // The other desks hear of the changes when, and only if, they commit.
    if (outermostOnServer())
        m_database.tellOtherDesks(m_database.m_pendingChanges);
    m_database.m_committing = outermostOnServer();
    const auto committed = qScopeGuard([this] { m_database.m_committing = false; });
    m_database.exec(m_outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + m_savepoint, {},
                    QStringLiteral("提交事务"));
    m_finished = true;
    if (--m_database.m_savepointDepth == 0) {
        // The outermost level is committed: the changes are real now, and whoever hears of them
        // may start transactions of its own.
        const auto notices = std::exchange(m_database.m_pendingChanges, {});
        for (const auto& [subject, scope] : notices)
            Q_EMIT m_database.m_changes.changed(subject, scope);
    }
}

bool Transaction::outermostOnServer() const {
    return m_database.isServer() && m_outermost;
}
