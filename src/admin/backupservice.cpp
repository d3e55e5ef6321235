#include "admin/backupservice.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/datetext.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QScopeGuard>
#include <QSet>

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

namespace {

// The two buttons' messages differ only in their blanks.
SaveOutcome said(BackupService::Button button, const QString& text, bool saved) {
    const Message message =
        notice(QString(button == BackupService::Button::Choose ? 7 : 8, QLatin1Char(' ')) + text +
               QString(11, QLatin1Char(' ')));
    return saved ? done(message) : refused(message);
}

SaveOutcome failed(BackupService::Button button) {
    return said(button, QStringLiteral("备份数据失败！请重试"), false);
}

SaveOutcome succeeded(BackupService::Button button) {
    return said(button, QStringLiteral("备份数据成功！"), true);
}

// The targets whose copies are being taken or checked: a second copy would overwrite the first.
QMutex busyLock;
QSet<QString> busy;

void release(const QString& place) {
    const QMutexLocker locked(&busyLock);
    busy.remove(place);
}

} // namespace

std::optional<SaveOutcome> BackupService::copy(const QString& target, Button button) {
    if (isLiveDatabase(target))
        return refused(notice(QStringLiteral("不能备份到正在使用的数据库文件，请另选文件名。")),
                       QStringLiteral("path_edit"));
    if (target.trimmed().isEmpty())
        return failed(button);
    const QString place = QFileInfo(target).absoluteFilePath();
    {
        const QMutexLocker locked(&busyLock);
        if (busy.contains(place))
            return refused(notice(QStringLiteral("这个文件的备份还在校验，请稍候再试。")));
        busy.insert(place);
    }
    auto released = qScopeGuard([&] { release(place); });
    try {
        if (!m_database.copyForBackup(target))
            return succeeded(button);
    } catch (const DatabaseError& error) {
        qWarning("%s", qUtf8Printable(error.message()));
        return failed(button);
    }
    released.dismiss();
    return std::nullopt;
}

SaveOutcome BackupService::check(const QString& target, Button button, const std::atomic<bool>* stopping) {
    const auto released = qScopeGuard([&] { release(QFileInfo(target).absoluteFilePath()); });
    try {
        Database::placeCheckedBackup(target, stopping);
    } catch (const DatabaseError& error) {
        qWarning("%s", qUtf8Printable(error.message()));
        return failed(button);
    } catch (const std::exception& error) {
        // Off the window's thread no guard catches what is left.
        qWarning("%s", error.what());
        return failed(button);
    }
    return succeeded(button);
}

SaveOutcome BackupService::backup(const QString& target, Button button) {
    if (std::optional<SaveOutcome> known = copy(target, button))
        return *known;
    return check(target, button);
}
