#include "foundation/database.h"

#include "foundation/clock.h"
#include "foundation/datetext.h"
#include "foundation/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>
#include <filesystem>
#include <memory>
#include <sqlite3.h>

DatabaseError::DatabaseError(const QString& message)
    : std::runtime_error(message.toStdString()), m_message(message) {}

namespace {

bool isWrite(const QString& sql) {
    const QString head = sql.trimmed().left(8).toUpper();
    return head.startsWith(QLatin1String("INSERT")) || head.startsWith(QLatin1String("UPDATE")) ||
           head.startsWith(QLatin1String("DELETE")) || head.startsWith(QLatin1String("REPLACE"));
}

const SystemClock systemClock;

sqlite3* handleOf(const QSqlDatabase& connection) {
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DatabaseError(QStringLiteral("数据库连接不是 SQLite，无法备份。"));
    return *static_cast<sqlite3* const*>(handle.data());
}

} // namespace

Database::Database(const QString& filePath, Mode mode, int failNthWrite)
    : m_filePath(filePath), m_connectionName(QUuid::createUuid().toString()), m_clock(&systemClock),
      m_failAtWrite(failNthWrite) {
    const QFileInfo file(filePath);
    if (!file.absoluteDir().exists())
        throw DatabaseError(QStringLiteral("数据库文件所在的文件夹不存在：%1").arg(file.absolutePath()));
    if (file.isDir())
        throw DatabaseError(QStringLiteral("数据库文件的位置是一个文件夹：%1").arg(filePath));
    if (mode != Mode::Create && !file.exists())
        throw DatabaseError(QStringLiteral("数据库文件不存在：%1\n"
                                           "新建数据库请运行 pelu --create-database。")
                                .arg(filePath));

    m_connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    try {
        connect(mode);
    } catch (...) {
        m_connection.close();
        m_connection = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

void Database::connect(Mode mode) {
    m_connection.setDatabaseName(m_filePath);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
    if (mode == Mode::ReadOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    m_connection.setConnectOptions(options);
    if (!m_connection.open())
        throw DatabaseError(
            QStringLiteral("无法打开数据库文件：%1\n%2").arg(m_filePath, m_connection.lastError().text()));

    // A file that is not a database only shows itself at the first read.
    QSqlQuery probe(m_connection);
    if (!probe.exec(QStringLiteral("PRAGMA user_version")) || !probe.next())
        throw DatabaseError(
            QStringLiteral("无法读取数据库文件：%1\n%2").arg(m_filePath, probe.lastError().text()));
    const int version = probe.value(0).toInt();
    probe.finish();
    const QString untouched = QStringLiteral("为免损坏数据，未做任何改动。");
    if (version > Schema::latestVersion())
        throw DatabaseError(
            QStringLiteral("数据库文件 %1 来自更新版本的程序（结构版本 %2，本程序只认识到版本 %3）。")
                .arg(m_filePath)
                .arg(version)
                .arg(Schema::latestVersion()) +
            untouched);
    if (version < 0)
        throw DatabaseError(QStringLiteral("数据库文件 %1 的结构版本 %2 不是本程序认识的版本。")
                                .arg(m_filePath)
                                .arg(version) +
                            untouched);
    if (version == 0 && mode != Mode::ReadOnly) {
        // Only --create-database makes a new office; at a normal start an empty file is a lost database.
        const bool hasTables =
            scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), {}, QStringLiteral("检查数据库文件"))
                .toLongLong() > 0;
        if (hasTables)
            throw DatabaseError(
                QStringLiteral("数据库文件 %1 不是本程序的数据库（已有数据表，但没有结构版本）。")
                    .arg(m_filePath) +
                untouched);
        if (mode == Mode::Open)
            throw DatabaseError(
                QStringLiteral("数据库文件是空的：%1\n"
                               "它可能已损坏或被替换。新建数据库请运行 pelu --create-database。")
                    .arg(m_filePath));
    }
    if (mode == Mode::ReadOnly) {
        exec(QStringLiteral("PRAGMA query_only = 1"), {}, QStringLiteral("以只读方式打开数据库"));
        return;
    }
    // A file the operator may read but not write would fail at the first save: say so now. Taking
    // the write lock is not enough to find out; a rewrite of the version that is rolled back is.
    QSqlQuery writeProbe(m_connection);
    const bool writable = writeProbe.exec(QStringLiteral("BEGIN")) &&
                          writeProbe.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    const QString reason = writeProbe.lastError().text();
    writeProbe.exec(QStringLiteral("ROLLBACK"));
    if (!writable)
        throw DatabaseError(QStringLiteral("数据库文件不可写：%1\n%2").arg(m_filePath, reason));
    exec(QStringLiteral("PRAGMA journal_mode = WAL"), {}, QStringLiteral("设置数据库日志方式"));
    exec(QStringLiteral("PRAGMA foreign_keys = OFF"), {}, QStringLiteral("设置数据库"));
    // Every write fires its history trigger, so every statement of an action keeps a journal of its own
    // to undo it alone: in memory, not in a temporary file written page by page.
    exec(QStringLiteral("PRAGMA temp_store = MEMORY"), {}, QStringLiteral("设置数据库"));
    migrate();
    m_recordsHistory = hasHistory();
}

Database::~Database() {
    m_connection.close();
    m_connection = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

int Database::schemaVersion() {
    return scalar(QStringLiteral("PRAGMA user_version"), {}, QStringLiteral("读取数据库结构版本")).toInt();
}

void Database::migrate() {
    const auto& steps = Schema::migrations();
    for (int version = schemaVersion(); version < steps.size(); ++version) {
        // Rows a later step rewrites are recorded like any other change.
        m_recordsHistory = hasHistory();
        transaction([&] {
            const Schema::Migration& step = steps.at(version);
            for (const QString& statement : step.statements)
                exec(statement, {}, QStringLiteral("升级数据库结构到版本 %1").arg(version + 1));
            if (step.seed)
                step.seed(*this);
            exec(QStringLiteral("PRAGMA user_version = %1").arg(version + 1), {},
                 QStringLiteral("记录数据库结构版本"));
        });
    }
}

bool Database::hasHistory() {
    return scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = "
                                 "'change_context'"),
                  {}, QStringLiteral("读取数据库结构"))
               .toLongLong() > 0;
}

void Database::writeChangeContext() {
    // Not counted as a write of the action: an injected failure strikes the action's own statements.
    QSqlQuery query(m_connection);
    query.prepare(QStringLiteral("UPDATE change_context SET 时间 = ?, 操作员 = ?, 窗口 = ?"));
    query.addBindValue(DateText::fromDateTime(m_clock->now()));
    query.addBindValue(m_operator);
    query.addBindValue(m_window);
    if (!query.exec())
        throw DatabaseError(QStringLiteral("数据库错误（记录操作员）：%1").arg(query.lastError().text()));
    m_contextWritten = true;
}

QSqlQuery Database::prepare(const QString& sql, const QString& doing) {
    QSqlQuery query(m_connection);
    if (!query.prepare(sql))
        throw DatabaseError(QStringLiteral("数据库错误（%1）：%2").arg(doing, query.lastError().text()));
    return query;
}

void Database::run(QSqlQuery& query, const QString& doing) {
    const bool write = isWrite(query.lastQuery());
    if (write && m_recordsHistory) {
        // A lone write gets a transaction of its own, so that its history carries its own moment.
        if (m_savepointDepth == 0) {
            transaction([&] { run(query, doing); });
            return;
        }
        if (!m_contextWritten)
            writeChangeContext();
    }
    if (write && m_failAtWrite > 0 && ++m_writesSeen == m_failAtWrite)
        throw DatabaseError(QStringLiteral("数据库错误（%1）：写入失败（测试注入）").arg(doing));
    if (!query.exec())
        throw DatabaseError(QStringLiteral("数据库错误（%1）：%2").arg(doing, query.lastError().text()));
}

QSqlQuery Database::exec(const QString& sql, const QVariantList& values, const QString& doing) {
    QSqlQuery query = prepare(sql, doing);
    for (const QVariant& value : values)
        query.addBindValue(value);
    run(query, doing);
    return query;
}

QSqlQuery Database::insert(const QString& table, const QList<Column>& columns, const QString& doing) {
    QSqlQuery query = prepareInsert(table, columns, doing);
    run(query, doing);
    return query;
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

void Database::transaction(const std::function<void()>& work) {
    Transaction transaction(*this);
    work();
    transaction.commit();
}

void Database::notifyChange(ChangeNotifier::Subject subject, const QString& scope) {
    if (m_savepointDepth == 0) {
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

void Database::snapshotInto(const QString& path) {
    sqlite3* opened = nullptr;
    const int status = sqlite3_open_v2(QFile::encodeName(path).constData(), &opened,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> target(opened, &sqlite3_close);
    const auto error = [&](const QString& doing, const char* reason) {
        return DatabaseError(
            QStringLiteral("备份数据库出错（%1）：%2\n%3").arg(doing, QString::fromUtf8(reason), path));
    };
    if (status != SQLITE_OK)
        throw error(QStringLiteral("建立备份文件"), sqlite3_errmsg(target.get()));
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", handleOf(m_connection), "main");
    if (!backup)
        throw error(QStringLiteral("开始备份"), sqlite3_errmsg(target.get()));
    // All pages in one step, inside one read transaction: a snapshot that writers of other
    // connections do not disturb (they go on writing into the log) and cannot make start over.
    const int stepped = sqlite3_backup_step(backup, -1);
    if (sqlite3_backup_finish(backup) != SQLITE_OK)
        throw error(QStringLiteral("复制数据"), sqlite3_errmsg(target.get()));
    // A lock that could not be had is no error to the backup, but the copy is not complete.
    if (stepped != SQLITE_DONE)
        throw error(QStringLiteral("复制数据"), sqlite3_errstr(stepped));
    // The copy takes the live database's write-ahead log mode; a backup is better one plain file.
    if (sqlite3_exec(target.get(), "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw error(QStringLiteral("设置备份文件"), sqlite3_errmsg(target.get()));
}

void Database::backupTo(const QString& path) {
    // Written beside its place and checked there, so that a failure never leaves a broken file under
    // the backup's name or spoils the earlier backup of that name.
    const QString part = path + QStringLiteral(".part");
    QFile::remove(part);
    try {
        snapshotInto(part);
        const QStringList problems = Database(part, Mode::ReadOnly).integrityProblems(Check::Full);
        if (!problems.isEmpty())
            throw DatabaseError(QStringLiteral("复制出的数据未通过完整性检查，数据库可能已损坏：\n%1")
                                    .arg(problems.join(QLatin1Char('\n'))));
        std::error_code failure;
        std::filesystem::rename(QFile::encodeName(part).toStdString(), QFile::encodeName(path).toStdString(),
                                failure);
        if (failure)
            throw DatabaseError(QStringLiteral("无法写入备份文件：%1\n%2")
                                    .arg(path, QString::fromLocal8Bit(failure.message())));
    } catch (...) {
        QFile::remove(part);
        throw;
    }
}

QStringList Database::integrityProblems(Check check) {
    QSqlQuery query(m_connection);
    // Every page is read, most of them many times: through a memory map that costs no system call each.
    query.exec(QStringLiteral("PRAGMA mmap_size = 4294967296"));
    QStringList problems;
    if (query.exec(check == Check::Quick ? QStringLiteral("PRAGMA quick_check")
                                         : QStringLiteral("PRAGMA integrity_check"))) {
        while (query.next())
            problems << query.value(0).toString();
    }
    // A damaged page may stop the check itself part way.
    if (query.lastError().isValid())
        problems << query.lastError().text();
    query.finish();
    query.exec(QStringLiteral("PRAGMA mmap_size = 0"));
    if (problems == QStringList{QStringLiteral("ok")})
        return {};
    return problems;
}

QStringList Database::tableNames() {
    return texts(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"), {},
                 QStringLiteral("读取数据库结构"));
}

Transaction::Transaction(Database& database)
    : m_database(database), m_savepoint(QStringLiteral("work%1").arg(database.m_savepointDepth)),
      m_changesBefore(database.m_pendingChanges.size()) {
    m_database.exec(QStringLiteral("SAVEPOINT ") + m_savepoint, {}, QStringLiteral("开始事务"));
    if (m_database.m_savepointDepth++ == 0)
        m_database.m_contextWritten = false;
}

Transaction::~Transaction() {
    if (!m_finished) {
        // Roll back quietly: an exception may already be on its way out.
        QSqlQuery query(m_database.connection());
        query.exec(QStringLiteral("ROLLBACK TO ") + m_savepoint);
        query.exec(QStringLiteral("RELEASE ") + m_savepoint);
        m_database.m_pendingChanges.resize(m_changesBefore);
        --m_database.m_savepointDepth;
    }
}

void Transaction::commit() {
    m_database.exec(QStringLiteral("RELEASE ") + m_savepoint, {}, QStringLiteral("提交事务"));
    m_finished = true;
    if (--m_database.m_savepointDepth == 0) {
        // The outermost level is committed: the changes are real now, and whoever hears of them
        // may start transactions of its own.
        const auto notices = std::exchange(m_database.m_pendingChanges, {});
        for (const auto& [subject, scope] : notices)
            Q_EMIT m_database.m_changes.changed(subject, scope);
    }
}
