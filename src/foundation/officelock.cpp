#include "foundation/officelock.h"

#include "foundation/database.h"

#include <QFileInfo>
#include <QSysInfo>

OfficeLock::OfficeLock(const QString& path) : m_path(path), m_lock(path) {
    // Never wait out a time: a lock whose process is gone is stale at once.
    m_lock.setStaleLockTime(0);
}

OfficeLock::Outcome OfficeLock::take() {
    if (m_lock.tryLock(0))
        return Outcome::Taken;
    if (QFileInfo(m_path).isDir())
        throw DatabaseError(QStringLiteral("锁文件的位置是一个文件夹：%1\n请移走它后再启动。").arg(m_path));
    if (m_lock.error() != QLockFile::LockFailedError)
        throw DatabaseError(QStringLiteral("无法建立锁文件：%1").arg(m_path));

    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_lock.getLockInfo(&pid, &host, &application)) {
        // Empty or garbage: no program can be holding it. Clear it and try once more.
        m_lock.removeStaleLockFile();
        if (m_lock.tryLock(0))
            return Outcome::Taken;
        throw DatabaseError(QStringLiteral("无法建立锁文件：%1").arg(m_path));
    }
    // The toolkit has already cleared a lock whose process on this computer is gone, so a lock of
    // this computer that is still there belongs to a running copy.
    if (host.isEmpty() || host == QSysInfo::machineHostName())
        return Outcome::HeldByRunningCopy;
    throw DatabaseError(QStringLiteral("数据文件夹正被另一台计算机（%1）上的程序使用。\n"
                                       "如确认那里没有在运行，请删除锁文件后再启动：%2")
                            .arg(host, m_path));
}
