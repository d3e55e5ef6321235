#include "restore/restorer.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/maintenancelock.h"
#include "foundation/pgtools.h"
#include "foundation/regularfile.h"
#include "foundation/serverroles.h"
#include "shared/namepieces.h"
#include "shared/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <sqlite3.h>

namespace {

// The log and journal files SQLite may keep beside a database.
const QStringList companions = {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")};

// Writes everything the database's log holds into the database file itself and empties the log, so that
// the file alone is the whole office: what happens to the log afterwards loses nothing.
void foldLogIn(const QString& database) {
    sqlite3* connection = nullptr;
    const QByteArray path = QFile::encodeName(database);
    int status = sqlite3_open_v2(path.constData(), &connection, SQLITE_OPEN_READWRITE, nullptr);
    // A first read rolls back what a hot journal of an interrupted write holds.
    if (status == SQLITE_OK)
        status = sqlite3_exec(connection, "SELECT COUNT(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    if (status == SQLITE_OK)
        status = sqlite3_wal_checkpoint_v2(connection, nullptr, SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    const QString reason = QString::fromUtf8(sqlite3_errmsg(connection));
    sqlite3_close(connection);
    if (status != SQLITE_OK)
        throw DatabaseError(QStringLiteral("无法把原来数据库的日志写入数据库文件（它可能还在使用中）：%1\n%2")
                                .arg(database, reason));
}

// Every office database has the tables of the first schema version; later versions only add.
QStringList officeTables() {
    static const QStringList tables = [] {
        QStringList names;
        const QRegularExpression create(QStringLiteral("^CREATE TABLE (\\S+)"));
        for (const QString& statement : Schema::migrations().first().statements) {
            const QRegularExpressionMatch match = create.match(statement);
            if (match.hasMatch())
                names << match.captured(1);
        }
        return names;
    }();
    return tables;
}

// Why a database with `tables` and `version` is no office database this program can take; nothing when it is.
// A server names its tables in lower case.
std::optional<QString> notAnOffice(const QStringList& tables, int version) {
    QStringList missing;
    for (const QString& table : officeTables())
        if (!tables.contains(table, Qt::CaseInsensitive))
            missing << table;
    if (!missing.isEmpty())
        return QStringLiteral("这不是 Pelu 的数据库：缺少数据表 %1。")
            .arg(missing.join(QStringLiteral("、")));
    if (version < 1)
        return QStringLiteral("这不是 Pelu 的数据库：没有结构版本。");
    if (version > Schema::latestVersion())
        return QStringLiteral("这个备份来自更新版本的程序（结构版本 %1，本程序只认识到版本 %2）。")
            .arg(version)
            .arg(Schema::latestVersion());
    return std::nullopt;
}

// One object of a database's schema: its type, the table it belongs to and its CREATE text, as written
// and as compared.
struct SchemaObject {
    QString type;
    QString name;
    QString table;
    QString create;
    QString definition;
};
// By type and name.
using SchemaObjects = QMap<std::pair<QString, QString>, SchemaObject>;

QString typeWord(const QString& type) {
    if (type == QLatin1String("table"))
        return QStringLiteral("数据表");
    if (type == QLatin1String("index"))
        return QStringLiteral("索引");
    if (type == QLatin1String("trigger"))
        return QStringLiteral("触发器");
    if (type == QLatin1String("view"))
        return QStringLiteral("视图");
    return type;
}

// The objects a database holds, the engine's own left out: its AUTOINCREMENT counters, what ANALYZE
// leaves, the indexes of UNIQUE constraints (they come with their table's text). Names alone would
// not do: a schema edited by hand can carry a trigger named like the engine's.
SchemaObjects objectsOf(Database& database) {
    const QString doing = QStringLiteral("检查备份的数据库结构");
    QSqlQuery query = database.exec(
        QStringLiteral(
            "SELECT type, name, tbl_name, sql FROM sqlite_master WHERE NOT (type = 'table' AND name "
            "IN ('sqlite_sequence', 'sqlite_stat1', 'sqlite_stat2', 'sqlite_stat3', 'sqlite_stat4')) "
            "AND NOT (type = 'index' AND sql IS NULL AND name LIKE 'sqlite\\_autoindex\\_%' "
            "ESCAPE '\\')"),
        {}, doing);
    // Renaming a table quotes its name in its text; the rebuilt tables of version 2 were renamed.
    static const QRegularExpression quotedName(QStringLiteral("^CREATE TABLE \"([^\"]+)\""));
    SchemaObjects objects;
    while (query.next()) {
        SchemaObject object{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                            query.value(3).toString(), query.value(3).toString().simplified()};
        object.definition.replace(quotedName, QStringLiteral("CREATE TABLE \\1"));
        objects.insert({object.type, object.name}, object);
    }
    return objects;
}

// What this program makes in a new database: the reference a backup is held against.
const SchemaObjects& programObjects() {
    static const SchemaObjects objects = [] {
        QTemporaryDir folder;
        if (!folder.isValid())
            throw DatabaseError(QStringLiteral("无法建立临时文件夹：%1").arg(folder.errorString()));
        Database fresh(QDir(folder.path()).filePath(QStringLiteral("reference.db")), Database::Mode::Create);
        return objectsOf(fresh);
    }();
    return objects;
}

} // namespace

QString listedNames(const QStringList& names) {
    constexpr int shown = 12;
    if (names.size() <= shown)
        return names.join(QStringLiteral("、"));
    return names.first(shown).join(QStringLiteral("、")) + QStringLiteral(" 等 %1 项").arg(names.size());
}

Restorer::Restorer(const DataFolder& folder, const Clock& clock)
    : m_folder(folder), m_clock(clock), m_target(folder.ownerTarget()) {
    // What a restore that was stopped midway had prepared; it never went in.
    removePreparedCopy();
}

Restorer::~Restorer() {
    if (m_prepared)
        removePreparedCopy();
}

QString Restorer::preparedCopy() const {
    return m_folder.databaseFile() + QStringLiteral(".restoring");
}

void Restorer::removePreparedCopy() const {
    for (const QString& suffix : QStringList{QString()} + companions)
        QFile::remove(preparedCopy() + suffix);
}

std::optional<QString> Restorer::prepare(const QString& backupFile) {
    if (m_prepared)
        removePreparedCopy();
    m_prepared = false;
    m_repairs.clear();
    const std::optional<QString> refusal = copyAndCheck(backupFile);
    if (refusal) {
        removePreparedCopy();
        m_repairs.clear();
    } else
        m_prepared = true;
    return refusal;
}

std::optional<QString> Restorer::copyAndCheck(const QString& backupFile) {
    // Reading a pipe would wait for ever.
    if (!RegularFile::is(backupFile))
        return QStringLiteral("这不是普通文件（可能是文件夹、管道或设备）：%1").arg(backupFile);
    if (m_target.isServer())
        return copyAndCheckDump(backupFile);
    if (QFileInfo(backupFile).canonicalFilePath() == QFileInfo(m_folder.databaseFile()).canonicalFilePath())
        return QStringLiteral("这是正在使用的数据库文件本身，不是备份。");
    try {
        // Opening refuses what is not a database and a schema newer than this program; the copy is
        // the one that goes in, so it is the one checked page by page.
        Database(backupFile, Database::Mode::ReadOnly).backupTo(preparedCopy());
        {
            Database copy(preparedCopy(), Database::Mode::ReadOnly);
            if (std::optional<QString> refusal = notAnOffice(copy.tableNames(), copy.schemaVersion()))
                return refusal;
        }
        // Upgraded here as Pelu would at its next start, so that what is checked is what it will use.
        Database copy(preparedCopy(), Database::Mode::Open);
        return checkSchema(copy);
    } catch (const DatabaseError& error) {
        return error.message();
    }
}

std::optional<QString> Restorer::checkSchema(Database& copy) {
    const SchemaObjects& expected = programObjects();
    const SchemaObjects present = objectsOf(copy);
    QStringList foreign, changed, missingTables;
    QList<SchemaObject> missing;
    for (const SchemaObject& object : present) {
        const auto own = expected.constFind({object.type, object.name});
        if (own == expected.constEnd())
            foreign << typeWord(object.type) + QLatin1Char(' ') + object.name;
        else if (own->table != object.table || own->definition != object.definition)
            changed << typeWord(object.type) + QLatin1Char(' ') + object.name;
    }
    for (const SchemaObject& object : expected) {
        if (present.contains({object.type, object.name}))
            continue;
        // Waits for the office to sort out a position held twice, as in the database it replaces.
        if (object.type == QLatin1String("index") && Schema::positionIndexes().contains(object.name))
            continue;
        if (object.type == QLatin1String("table"))
            missingTables << object.name;
        else
            missing << object;
    }
    QStringList differences;
    if (!foreign.isEmpty())
        differences << QStringLiteral("本程序不建立的：%1").arg(listedNames(foreign));
    if (!changed.isEmpty())
        differences << QStringLiteral("与本程序建立的不同：%1").arg(listedNames(changed));
    if (!missingTables.isEmpty())
        differences << QStringLiteral("缺少数据表：%1").arg(listedNames(missingTables));
    if (!differences.isEmpty())
        return QStringLiteral(
                   "这个备份的数据库结构与本程序建立的不同，可能被其他程序改动过；为免带入会改动或删除记录的"
                   "规则，不能用它还原：\n%1")
            .arg(differences.join(QLatin1Char('\n')));

    // The history triggers read their moment, operator and window from the one row of change_context.
    const int contextRows =
        copy.scalar(QStringLiteral("SELECT COUNT(*) FROM change_context"), {}, QStringLiteral("检查操作记录"))
            .toInt();
    if (missing.isEmpty() && contextRows == 1)
        return std::nullopt;
    copy.transaction([&] {
        const QString doing = QStringLiteral("补上备份缺少的数据库结构");
        for (const SchemaObject& object : missing)
            copy.exec(object.create, {}, doing);
        // Names written while a piece trigger was missing have no pieces: all are pieced anew.
        if (std::any_of(missing.cbegin(), missing.cend(), [](const SchemaObject& object) {
                return object.type == QLatin1String("trigger") &&
                       object.name.contains(QLatin1String("_name_pieces_"));
            }))
            NamePieces::build(copy);
        if (contextRows != 1) {
            copy.exec(QStringLiteral("DELETE FROM change_context"), {}, doing);
            copy.exec(QStringLiteral("INSERT INTO change_context (时间, 操作员, 窗口) VALUES (NULL, '', '')"),
                      {}, doing);
        }
    });
    for (const SchemaObject& object : missing)
        m_repairs << typeWord(object.type) + QLatin1Char(' ') + object.name;
    if (contextRows != 1)
        m_repairs << QStringLiteral("操作记录的当前操作员行");
    return std::nullopt;
}

std::optional<QString> Restorer::copyAndCheckDump(const QString& backupFile) const {
    QFile::remove(preparedCopy());
    if (!QFile::copy(backupFile, preparedCopy()))
        return QStringLiteral("无法读取备份文件。");
    try {
        return notAnOffice(PgTools::tablesOf(preparedCopy()), PgTools::schemaVersionOf(preparedCopy()));
    } catch (const DatabaseError& error) {
        return QStringLiteral("这不是数据库服务器的备份文件（pg_dump 自定义格式）。\n") + error.message();
    }
}

void Restorer::keepSafetyCopy(const QString& database, const QString& safetyCopy) const {
    try {
        Database(database, Database::Mode::ReadOnly).backupTo(safetyCopy);
        return;
    } catch (const DatabaseError& error) {
        qWarning("%s", qUtf8Printable(error.message()));
    }
    // A database too damaged to copy page by page is kept as its files are.
    for (const QString& suffix : QStringList{QString()} + companions) {
        QFile::remove(safetyCopy + suffix);
        if (QFileInfo::exists(database + suffix) && !QFile::copy(database + suffix, safetyCopy + suffix))
            throw DatabaseError(QStringLiteral("无法另存原来的数据库：%1").arg(safetyCopy + suffix));
    }
}

QString Restorer::newSafetyCopy() const {
    if (!QDir().mkpath(m_folder.backupFolder()))
        throw DatabaseError(QStringLiteral("无法建立文件夹：%1").arg(m_folder.backupFolder()));
    return QDir(m_folder.backupFolder())
        .filePath(QStringLiteral("还原前的数据库-") +
                  m_clock.now().toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + QStringLiteral(".dat"));
}

QString Restorer::swapIn(const std::function<bool(const QStringList& desks)>& goOnDespiteDesks) {
    if (!m_prepared)
        throw DatabaseError(QStringLiteral("还没有选好检查过的备份文件。"));
    if (m_target.isServer())
        return restoreOnServer(goOnDespiteDesks);
    const QString database = m_folder.databaseFile();
    // Neither copied aside nor replaced: reading a pipe would wait for ever, and what it is the office knows.
    if (RegularFile::isOtherThing(database))
        throw DatabaseError(
            QStringLiteral(
                "数据库的位置上不是普通文件（可能是文件夹、管道或设备）：%1\n请先把它移走，再还原。")
                .arg(database));
    QString safetyCopy;
    if (QFileInfo::exists(database)) {
        safetyCopy = newSafetyCopy();
        keepSafetyCopy(database, safetyCopy);
    }
    // The old database's log would be read into the new one. It is first written into the old file, so
    // that at every moment either the old office, whole, or the restored one is in place; the emptied
    // log is then removed.
    if (QFileInfo::exists(database))
        foldLogIn(database);
    if (m_beforeRename)
        m_beforeRename();
    std::error_code failure;
    std::filesystem::rename(QFile::encodeName(preparedCopy()).toStdString(),
                            QFile::encodeName(database).toStdString(), failure);
    if (failure)
        throw DatabaseError(
            QStringLiteral("无法换入备份：%1\n%2").arg(database, QString::fromLocal8Bit(failure.message())));
    m_prepared = false;
    for (const QString& suffix : companions)
        if (QFileInfo::exists(database + suffix) && !QFile::remove(database + suffix))
            qWarning("无法删除原来数据库留下的空日志文件：%s", qUtf8Printable(database + suffix));
    return safetyCopy;
}

QString Restorer::restoreOnServer(const std::function<bool(const QStringList& desks)>& goOnDespiteDesks) {
    // The other desks would work on records that vanish under them; none logs in meanwhile.
    Database maintenance(m_target, Database::Mode::ReadOnly);
    const MaintenanceLock lock(maintenance, QStringLiteral("还原数据"), goOnDespiteDesks);
    // No restore without a copy of what it replaces.
    const QString safetyCopy = newSafetyCopy();
    QStringList leftovers;
    {
        Database live(m_target, Database::Mode::ReadOnly);
        live.backupTo(safetyCopy);
        const QStringList restored = PgTools::tablesOf(preparedCopy());
        for (const QString& table : live.tableNames())
            if (!restored.contains(table, Qt::CaseInsensitive))
                leftovers << table;
    }
    PgTools::restore(m_target, preparedCopy(), leftovers);
    // The backup's tables come with the rights they had then: the desk and print roles get theirs anew,
    // and an older schema is brought up to this program's.
    {
        Database restored(m_target, Database::Mode::Open);
        ServerRoles::grant(restored, ServerRoles::of(m_folder));
        // Whatever the desks left working have open shows the records that were replaced.
        if (!lock.desksLeftWorking().isEmpty())
            restored.notifyChange(ChangeNotifier::Subject::Restored);
    }
    QFile::remove(preparedCopy());
    m_prepared = false;
    return safetyCopy;
}
