#include "restore/restorer.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>

namespace {

// The log and journal files SQLite may keep beside a database.
const QStringList companions = {QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")};

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

} // namespace

Restorer::Restorer(const DataFolder& folder, const Clock& clock) : m_folder(folder), m_clock(clock) {}

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
    if (QFileInfo(backupFile).canonicalFilePath() == QFileInfo(m_folder.databaseFile()).canonicalFilePath())
        return QStringLiteral("这是正在使用的数据库文件本身，不是备份。");
    try {
        // Opening refuses what is not a database and a schema newer than this program; the copy is
        // the one that goes in, so it is the one checked page by page.
        Database(backupFile, Database::Mode::ReadOnly).backupTo(preparedCopy());
        Database copy(preparedCopy(), Database::Mode::ReadOnly);
        QStringList missing;
        const QStringList tables = copy.tableNames();
        for (const QString& table : officeTables())
            if (!tables.contains(table))
                missing << table;
        if (!missing.isEmpty())
            return QStringLiteral("这不是 Pelu 的数据库：缺少数据表 %1。")
                .arg(missing.join(QStringLiteral("、")));
        if (copy.schemaVersion() < 1)
            return QStringLiteral("这不是 Pelu 的数据库：没有结构版本。");
    } catch (const DatabaseError& error) {
        return error.message();
    }
    return std::nullopt;
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

QString Restorer::swapIn() {
    if (!m_prepared)
        throw DatabaseError(QStringLiteral("还没有选好检查过的备份文件。"));
    const QString database = m_folder.databaseFile();
    QString safetyCopy;
    if (QFileInfo::exists(database)) {
        if (!QDir().mkpath(m_folder.backupFolder()))
            throw DatabaseError(QStringLiteral("无法建立文件夹：%1").arg(m_folder.backupFolder()));
        safetyCopy = QDir(m_folder.backupFolder())
                         .filePath(QStringLiteral("还原前的数据库-") +
                                   m_clock.now().toString(QStringLiteral("yyyy-MM-dd-HHmmss")) +
                                   QStringLiteral(".dat"));
        keepSafetyCopy(database, safetyCopy);
    }
    // The old database's log would be read into the new one: it is kept in the safety copy.
    for (const QString& suffix : companions)
        if (QFileInfo::exists(database + suffix) && !QFile::remove(database + suffix))
            throw DatabaseError(QStringLiteral("无法删除原来数据库的日志文件：%1").arg(database + suffix));
    std::error_code failure;
    std::filesystem::rename(QFile::encodeName(preparedCopy()).toStdString(),
                            QFile::encodeName(database).toStdString(), failure);
    if (failure)
        throw DatabaseError(
            QStringLiteral("无法换入备份：%1\n%2").arg(database, QString::fromLocal8Bit(failure.message())));
    m_prepared = false;
    return safetyCopy;
}
