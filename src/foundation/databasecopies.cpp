// The copies of a database and the checks of its pages: the verified backup, the integrity check and
// the giving back of deleted rows' space.
#include "foundation/database.h"

#include "foundation/pgtools.h"

#include <QFile>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

namespace {

sqlite3* handleOf(const QSqlDatabase& connection) {
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw DatabaseError(QStringLiteral("数据库连接不是 SQLite，无法备份。"));
    return *static_cast<sqlite3* const*>(handle.data());
}

QString partOf(const QString& path) {
    return path + QStringLiteral(".part");
}

} // namespace

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
    const int stepPages =
        16 * 1024 * 1024 /
        scalar(QStringLiteral("PRAGMA page_size"), {}, QStringLiteral("备份数据库")).toInt();
    sqlite3* source = handleOf(m_connection);
    // One read transaction over all steps: a snapshot that writers of other connections do not disturb
    // (they go on writing into the log) and cannot make start over.
    if (sqlite3_exec(source, "BEGIN; SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        throw error(QStringLiteral("开始备份"), sqlite3_errmsg(source));
    const auto ended = qScopeGuard([&] { sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr); });
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source, "main");
    if (!backup)
        throw error(QStringLiteral("开始备份"), sqlite3_errmsg(target.get()));
    // Written to the disk a few megabytes at a time: a copy's gigabyte flushed at once would hold up every
    // save's own flush behind it for most of a second.
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const auto closed = qScopeGuard([&] {
        if (descriptor >= 0)
            ::close(descriptor);
    });
    int stepped = SQLITE_OK;
    while (stepped == SQLITE_OK) {
        stepped = sqlite3_backup_step(backup, stepPages);
        if (descriptor >= 0)
            ::sync_file_range(descriptor, 0, 0,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                  SYNC_FILE_RANGE_WAIT_AFTER);
    }
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
    if (copyForBackup(path))
        placeCheckedBackup(path);
}

bool Database::copyForBackup(const QString& path) {
    // Written beside its place and checked there, so that a failure never leaves a broken file under
    // the backup's name or spoils the earlier backup of that name.
    const QString part = partOf(path);
    QFile::remove(part);
    try {
        if (!isServer()) {
            snapshotInto(part);
            return true;
        }
        PgTools::dump(m_target, part);
        putInPlace(part, path);
        return false;
    } catch (...) {
        QFile::remove(part);
        throw;
    }
}

void Database::placeCheckedBackup(const QString& path, const std::atomic<bool>* stopping) {
    const QString part = partOf(path);
    try {
        const QStringList problems = Database(part, Mode::ReadOnly).integrityProblems(Check::Full, stopping);
        if (!problems.isEmpty())
            throw DatabaseError(QStringLiteral("复制出的数据未通过完整性检查，数据库可能已损坏：\n%1")
                                    .arg(problems.join(QLatin1Char('\n'))));
        putInPlace(part, path);
    } catch (...) {
        QFile::remove(part);
        throw;
    }
}

void Database::putInPlace(const QString& part, const QString& path) {
    std::error_code failure;
    std::filesystem::rename(QFile::encodeName(part).toStdString(), QFile::encodeName(path).toStdString(),
                            failure);
    if (failure)
        throw DatabaseError(
            QStringLiteral("无法写入备份文件：%1\n%2").arg(path, QString::fromLocal8Bit(failure.message())));
}

QStringList Database::integrityProblems(Check check, const std::atomic<bool>* stopping) {
    // A server checks its own pages; what it finds it reports as errors of the statements that meet them.
    if (isServer())
        return {};
    sqlite3* handle = handleOf(m_connection);
    if (stopping)
        sqlite3_progress_handler(
            handle, 10000,
            [](void* flag) { return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0; },
            const_cast<std::atomic<bool>*>(stopping));
    const auto unwatched = qScopeGuard([&] { sqlite3_progress_handler(handle, 0, nullptr, nullptr); });
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

void Database::compact() {
    if (isServer())
        return;
    exec(QStringLiteral("VACUUM"), {}, QStringLiteral("压缩数据库文件"));
    // The rewritten file is in the log until it is copied back, which also cuts the file to its size.
    exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), {}, QStringLiteral("压缩数据库文件"));
}
