#include "admin/autobackup.h"

#include "foundation/backgroundwork.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSettings>
#include <QTimer>
#include <algorithm>

namespace AutoBackup {

namespace {

const QString momentFormat = QStringLiteral("yyyy-MM-dd-HHmmss");
const QString copySuffix = QStringLiteral("自动备份.dat");

int count(const QSettings& ini, const char* key, int fallback, QStringList& ignored) {
    const QString name = QStringLiteral("backup/") + QLatin1String(key);
    const QString text = ini.value(name).toString().trimmed();
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok && value >= 0)
        return value;
    if (!text.isEmpty())
        ignored << QStringLiteral("pelu.ini 中 [backup] %1=%2 无效（应为 0 或正整数），按 %3。")
                       .arg(QLatin1String(key), text)
                       .arg(fallback);
    return fallback;
}

struct Copy {
    QString path;
    QDateTime moment;
};

// The copies in `folder`, newest first; files of other names are not ours and stay.
QList<Copy> copiesIn(const QString& folder) {
    QList<Copy> copies;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*") + copySuffix}, QDir::Files);
    for (const QFileInfo& file : files) {
        const QDateTime moment =
            QDateTime::fromString(file.fileName().left(momentFormat.size()), momentFormat);
        if (moment.isValid())
            copies.append({file.absoluteFilePath(), moment});
    }
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) { return a.moment > b.moment; });
    return copies;
}

QString failure(const DatabaseError& error) {
    return QStringLiteral("自动备份失败：") + error.message();
}

} // namespace

Settings Settings::read(const DataFolder& folder) {
    const QSettings ini(folder.iniFile(), QSettings::IniFormat);
    Settings settings;
    const QString enabled = ini.value(QStringLiteral("backup/auto")).toString().trimmed().toLower();
    if (enabled == QLatin1String("false") || enabled == QLatin1String("off") || enabled == QLatin1String("0"))
        settings.enabled = false;
    else if (!enabled.isEmpty() && enabled != QLatin1String("true") && enabled != QLatin1String("on") &&
             enabled != QLatin1String("1"))
        settings.ignored << QStringLiteral("pelu.ini 中 [backup] auto=%1 无效（可用 true、false），按 true。")
                                .arg(enabled);
    settings.daily = count(ini, "daily", settings.daily, settings.ignored);
    settings.weekly = count(ini, "weekly", settings.weekly, settings.ignored);
    settings.writes = count(ini, "writes", settings.writes, settings.ignored);
    return settings;
}

QString folderOf(const DataFolder& folder) {
    return QDir(folder.backupFolder()).filePath(QStringLiteral("auto"));
}

QString takeCopy(Database& source, const QString& folder, const QDateTime& now, const Settings& settings) {
    if (!QDir().mkpath(folder))
        throw DatabaseError(QStringLiteral("无法建立自动备份文件夹：%1").arg(folder));
    const QString copy = QDir(folder).filePath(now.toString(momentFormat) + copySuffix);
    source.backupTo(copy);
    rotate(folder, settings);
    return copy;
}

QStringList rotate(const QString& folder, const Settings& settings) {
    QSet<QDate> days;
    QSet<std::pair<int, int>> weeks;
    QStringList removed;
    for (const Copy& copy : copiesIn(folder)) {
        const QDate day = copy.moment.date();
        int year = 0;
        const int week = day.weekNumber(&year);
        // The newest copy of a day (or week) comes first; the days and weeks counted are those with copies.
        const bool keptForDay = !days.contains(day) && days.size() < settings.daily;
        const bool keptForWeek = !weeks.contains({year, week}) && weeks.size() < settings.weekly;
        if (keptForDay)
            days.insert(day);
        if (keptForWeek)
            weeks.insert({year, week});
        if (!keptForDay && !keptForWeek && QFile::remove(copy.path))
            removed << copy.path;
    }
    return removed;
}

QString newestBackup(const DataFolder& folder) {
    QFileInfoList backups;
    for (const QString& place : {folderOf(folder), folder.backupFolder()})
        backups += QDir(place).entryInfoList({QStringLiteral("*.dat")}, QDir::Files);
    const auto newest =
        std::max_element(backups.cbegin(), backups.cend(), [](const QFileInfo& a, const QFileInfo& b) {
            return a.lastModified() < b.lastModified();
        });
    return newest == backups.cend() ? QString() : newest->absoluteFilePath();
}

QString atStart(const DatabaseTarget& live, const DataFolder& folder, const QDateTime& now,
                const Settings& settings) {
    try {
        Database database(live, Database::Mode::ReadOnly);
        const QStringList problems = database.integrityProblems(Database::Check::Quick);
        if (!problems.isEmpty()) {
            const QString newest = newestBackup(folder);
            return QStringLiteral("数据库检查发现错误，数据可能已损坏：\n%1\n\n%2")
                .arg(problems.mid(0, 5).join(QLatin1Char('\n')),
                     newest.isEmpty()
                         ? QStringLiteral("没有找到备份。")
                         : QStringLiteral("最近的备份：%1\n可用〖系统设置〗→ 还原数据 换回它。").arg(newest));
        }
        if (!settings.enabled)
            return {};
        const QList<Copy> copies = copiesIn(folderOf(folder));
        if (!copies.isEmpty() && copies.first().moment.date() == now.date())
            return {};
        takeCopy(database, folderOf(folder), now, settings);
        return {};
    } catch (const DatabaseError& error) {
        return failure(error);
    }
}

QString afterWrites(const DatabaseTarget& live, const QString& folder, const QDateTime& now,
                    const Settings& settings) {
    try {
        Database database(live, Database::Mode::ReadOnly);
        takeCopy(database, folder, now, settings);
        return {};
    } catch (const DatabaseError& error) {
        return failure(error);
    }
}

} // namespace AutoBackup

AutoBackups::AutoBackups(Database& database, const DataFolder& folder, const Clock& clock, Prompter& prompter,
                         QObject* parent)
    : QObject(parent), m_database(database), m_folder(folder), m_clock(clock), m_prompter(prompter),
      m_settings(AutoBackup::Settings::read(folder)) {
    for (const QString& ignored : m_settings.ignored)
        qWarning("%s", qUtf8Printable(ignored));
    if (m_settings.enabled && m_settings.writes > 0) {
        // Every write is recorded in the change history, so its newest row tells how much was written.
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, &AutoBackups::countWrites);
        timer->start(std::chrono::minutes(1));
    }
}

AutoBackups::~AutoBackups() {
    wait();
}

void AutoBackups::start() {
    m_writtenAtLastCopy = rowsWritten();
    const QDateTime now = m_clock.now();
    runInBackground([live = m_database.target(), folder = m_folder, now, settings = m_settings] {
        return AutoBackup::atStart(live, folder, now, settings);
    });
}

void AutoBackups::countWrites() {
    if (!m_settings.enabled || m_settings.writes <= 0 || (m_worker && m_worker->isRunning()))
        return;
    const qint64 written = rowsWritten();
    if (written - m_writtenAtLastCopy < m_settings.writes)
        return;
    m_writtenAtLastCopy = written;
    const QDateTime now = m_clock.now();
    runInBackground([live = m_database.target(), folder = AutoBackup::folderOf(m_folder), now,
                     settings = m_settings] { return AutoBackup::afterWrites(live, folder, now, settings); });
}

void AutoBackups::wait() {
    if (m_worker)
        m_worker->wait();
}

qint64 AutoBackups::rowsWritten() {
    return m_database
        .scalar(QStringLiteral("SELECT COALESCE(MAX(id), 0) FROM change_history"), {},
                QStringLiteral("读取操作记录"))
        .toLongLong();
}

void AutoBackups::runInBackground(std::function<QString()> work) {
    wait();
    auto said = std::make_shared<QString>();
    m_worker = std::make_unique<BackgroundWork>([work, said](const std::atomic<bool>&) { *said = work(); },
                                                [this, said] {
                                                    if (!said->isEmpty())
                                                        m_prompter.inform(Prompter::Icon::Exclamation,
                                                                          QStringLiteral("提示"), *said);
                                                });
}
