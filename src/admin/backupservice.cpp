#include "admin/backupservice.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/datetext.h"

#include <QDir>
#include <QFileInfo>

BackupService::BackupService(Database& database, const DataFolder& folder, const Clock& clock)
    : m_database(database), m_folder(folder), m_clock(clock) {}

QString BackupService::defaultTarget() const {
    return QDir(m_folder.backupFolder())
        .filePath(DateText::fromDate(m_clock.today()) + QStringLiteral("备份数据.dat"));
}

QString BackupService::backupBefore(const QString& action) const {
    const QString target =
        QDir(m_folder.backupFolder())
            .filePath(action + QStringLiteral("前的备份-") +
                      m_clock.now().toString(QStringLiteral("yyyy-MM-dd-HHmmss")) + QStringLiteral(".dat"));
    QDir().mkpath(m_folder.backupFolder());
    m_database.backupTo(target);
    return target;
}

bool BackupService::isLiveDatabase(const QString& target) const {
    const QString chosen = QFileInfo(target).canonicalFilePath();
    const QString live = QFileInfo(m_database.filePath()).canonicalFilePath();
    if (chosen.isEmpty())
        return false;
    for (const QString& suffix :
         {QString(), QStringLiteral("-wal"), QStringLiteral("-shm"), QStringLiteral("-journal")}) {
        if (chosen == live + suffix)
            return true;
    }
    return false;
}

SaveOutcome BackupService::backup(const QString& target, Button button) {
    const QString before(button == Button::Choose ? 7 : 8, QLatin1Char(' '));
    const QString after(11, QLatin1Char(' '));
    if (isLiveDatabase(target))
        return refused(notice(QStringLiteral("不能备份到正在使用的数据库文件，请另选文件名。")),
                       QStringLiteral("path_edit"));
    const SaveOutcome failed = refused(notice(before + QStringLiteral("备份数据失败！请重试") + after));
    if (target.trimmed().isEmpty())
        return failed;
    try {
        m_database.backupTo(target);
    } catch (const DatabaseError& error) {
        qWarning("%s", qUtf8Printable(error.message()));
        return failed;
    }
    return done(notice(before + QStringLiteral("备份数据成功！") + after));
}
