#include "foundation/maintenancelock.h"

#include "foundation/database.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QThread>

namespace {

// The one key of the lock, the same in every program that works on an office's server database; the
// server makes it the database's own.
constexpr qint64 lockKey = 0x50454C55; // "PELU"

// How long a maintenance action waits for the lock: desks hold it shared only for a login's moment.
constexpr std::chrono::seconds patience{3};

// The server databases this program holds the lock of now, counted by connection.
QHash<QString, int>& heldHere() {
    static QHash<QString, int> held;
    return held;
}

QString placeOf(const Database& database) {
    const DatabaseTarget& target = database.target();
    return QStringLiteral("%1:%2/%3").arg(target.host).arg(target.port).arg(target.database);
}

} // namespace

MaintenanceLock::MaintenanceLock(Database& database, const QString& action,
                                 const std::function<bool(const QStringList& desks)>& goOnDespite)
    : m_database(database) {
    if (!database.isServer())
        return;
    const QString doing = QStringLiteral("取得数据库的维护锁");
    const QDeadlineTimer deadline(patience);
    while (!database.scalar(QStringLiteral("SELECT pg_try_advisory_lock(?)"), {lockKey}, doing).toBool()) {
        if (deadline.hasExpired())
            throw DatabaseError(
                QStringLiteral("另一台电脑正在维护数据库 %1（还原、升级或复制），不能%2。请等它完成后再试。")
                    .arg(database.target().describe(), action));
        QThread::msleep(50);
    }
    m_held = true;
    ++heldHere()[placeOf(database)];
    // Read after the lock: a desk that was logging in meanwhile has finished and is counted.
    QStringList others;
    try {
        others = database.otherDesks();
        if (others.isEmpty())
            return;
        if (goOnDespite && goOnDespite(others)) {
            m_desksLeftWorking = others;
            return;
        }
    } catch (...) {
        release();
        throw;
    }
    release();
    throw DatabaseError(QStringLiteral("以下电脑上还有操作员登录着数据库 %1：\n%2\n请他们退出 Pelu 后再%3。"
                                       "什么也没有做。")
                            .arg(database.target().describe(), others.join(QLatin1Char('\n')), action));
}

MaintenanceLock::~MaintenanceLock() {
    release();
}

void MaintenanceLock::release() noexcept {
    if (!m_held)
        return;
    m_held = false;
    const QString place = placeOf(m_database);
    if (--heldHere()[place] == 0)
        heldHere().remove(place);
    try {
        m_database.scalar(QStringLiteral("SELECT pg_advisory_unlock(?)"), {lockKey},
                          QStringLiteral("放开数据库的维护锁"));
    } catch (const DatabaseError& error) {
        // A connection that is gone took its lock with it.
        qWarning("%s", qUtf8Printable(error.message()));
    } catch (...) {
        qWarning("放开数据库的维护锁时出错");
    }
}

bool MaintenanceLock::heldByThisProgram(const Database& database) {
    return database.isServer() && heldHere().contains(placeOf(database));
}

bool MaintenanceLock::admitsDesk(Database& database) {
    if (!database.isServer())
        return true;
    return database
        .scalar(QStringLiteral("SELECT pg_try_advisory_xact_lock_shared(?)"), {lockKey},
                QStringLiteral("查看数据库是否正在维护"))
        .toBool();
}

QString MaintenanceLock::busyText() {
    return QStringLiteral("系统正在维护，请稍后再登录");
}
