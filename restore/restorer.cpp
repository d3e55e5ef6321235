#include "restore/restorer.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/pgtools.h"
#include "foundation/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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

} // namespace

Restorer::Restorer(const DataFolder& folder, const Clock& clock)
    : m_folder(folder), m_clock(clock), m_target(folder.databaseTarget()) {
    // What a restore that was stopped midway had prepared; it never went in.
    QFile::remove(preparedCopy());
}

Restorer::~Restorer() {
    if (m_prepared)
        QFile::remove(preparedCopy());
}

QString Restorer::preparedCopy() const {
    return m_folder.databaseFile() + QStringLiteral(".restoring");
}

std::optional<QString> Restorer::prepare(const QString& backupFile) {
    if (m_prepared)
        QFile::remove(preparedCopy());
    m_prepared = false;
    const std::optional<QString> refusal = copyAndCheck(backupFile);
    if (refusal)
        QFile::remove(preparedCopy());
    else
        m_prepared = true;
    return refusal;
}

std::optional<QString> Restorer::copyAndCheck(const QString& backupFile) const {
    if (m_target.isServer())
        return copyAndCheckDump(backupFile);
    if (QFileInfo(backupFile).canonicalFilePath() == QFileInfo(m_folder.databaseFile()).canonicalFilePath())
        return QStringLiteral("这是正在使用的数据库文件本身，不是备份。");
    try {
        // Opening refuses what is not a database and a schema newer than this program; the copy is
        // the one that goes in, so it is the one checked page by page.
        Database(backupFile, Database::Mode::ReadOnly).backupTo(preparedCopy());
        Database copy(preparedCopy(), Database::Mode::ReadOnly);
        return notAnOffice(copy.tableNames(), copy.schemaVersion());
    } catch (const DatabaseError& error) {
        return error.message();
    }
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

QString Restorer::swapIn() {
    if (!m_prepared)
        throw DatabaseError(QStringLiteral("还没有选好检查过的备份文件。"));
    if (m_target.isServer())
        return restoreOnServer();
    const QString database = m_folder.databaseFile();
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

QString Restorer::restoreOnServer() {
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
    QFile::remove(preparedCopy());
    m_prepared = false;
    return safetyCopy;
}
