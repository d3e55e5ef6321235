#include "foundation/datafolder.h"

#include "foundation/database.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <sys/stat.h>

DataFolder::DataFolder(QString path) : m_path(QDir(path).absolutePath()) {}

QString DataFolder::choose(const QString& fromCommandLine) {
    if (!fromCommandLine.isEmpty())
        return fromCommandLine;
    const QString fromEnvironment = qEnvironmentVariable("PELU_DATA");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void DataFolder::keepPrivate() const {
    const QFileInfo folder(m_path);
    const bool sharedWithGroup = folder.isDir() && (folder.permissions() & QFileDevice::ReadGroup);
    ::umask(sharedWithGroup ? 0007 : 0077);
    if (!folder.isDir())
        return;
    qsizetype closed = 0;
    const auto close = [&closed](const QString& path) {
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || S_ISLNK(status.st_mode) ||
            (status.st_mode & S_IRWXO) == 0)
            return;
        if (::chmod(QFile::encodeName(path).constData(), status.st_mode & 07770) == 0)
            ++closed;
    };
    close(m_path);
    QDirIterator entries(m_path, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        close(entries.next());
    if (closed > 0)
        qInfo("数据文件夹 %s 中有 %lld 个文件或文件夹其他用户也能读取，已取消其他用户的权限。",
              qUtf8Printable(m_path), static_cast<long long>(closed));
}

void DataFolder::removeDeadBackupParts() const {
    const QFileInfoList parts =
        QDir(backupFolder()).entryInfoList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& part : parts)
        QFile::remove(part.filePath());
}

void DataFolder::prepare() const {
    QDir folder(m_path);
    if (!folder.mkpath(QStringLiteral(".")))
        throw DatabaseError(QStringLiteral("无法创建数据文件夹：%1").arg(m_path));
    for (const QString& sub : {printsFolder(), templatesFolder(), backupFolder()}) {
        if (!folder.mkpath(sub))
            throw DatabaseError(QStringLiteral("无法创建文件夹：%1").arg(sub));
    }
    QTemporaryFile probe(folder.filePath(QStringLiteral(".write-test-XXXXXX")));
    if (!probe.open())
        throw DatabaseError(QStringLiteral("数据文件夹不可写：%1").arg(m_path));
    if (!QFileInfo::exists(iniFile())) {
        QSettings ini(iniFile(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("peludb/driver"), QStringLiteral("QSQLITE"));
        ini.setValue(QStringLiteral("peludb/database"), QStringLiteral("pelu.db"));
        ini.setValue(QStringLiteral("printer/mode"), QStringLiteral("printer"));
        ini.setValue(QStringLiteral("printer/name"), QString());
        ini.setValue(QStringLiteral("printer/querySeconds"), PrinterSettings().querySeconds);
        ini.sync();
        if (ini.status() != QSettings::NoError)
            throw DatabaseError(QStringLiteral("无法写入配置文件：%1").arg(iniFile()));
    }
}

QString DataFolder::iniFile() const {
    return QDir(m_path).filePath(QStringLiteral("pelu.ini"));
}

QString DataFolder::databaseFile() const {
    const QSettings ini(iniFile(), QSettings::IniFormat);
    const QString name = ini.value(QStringLiteral("peludb/database"), QStringLiteral("pelu.db")).toString();
    return QDir(m_path).absoluteFilePath(name);
}

namespace {

bool choosesServer(const QSettings& ini) {
    return ini.value(QStringLiteral("peludb/driver"))
               .toString()
               .trimmed()
               .compare(QLatin1String("QPSQL"), Qt::CaseInsensitive) == 0;
}

} // namespace

DatabaseTarget DataFolder::databaseTarget() const {
    const QSettings ini(iniFile(), QSettings::IniFormat);
    if (!choosesServer(ini))
        return DatabaseTarget::file(databaseFile());
    DatabaseTarget target;
    target.engine = DatabaseTarget::Engine::PostgreSQL;
    target.host = ini.value(QStringLiteral("peludb/host")).toString().trimmed();
    target.port = ini.value(QStringLiteral("peludb/port"), 5432).toInt();
    target.database = ini.value(QStringLiteral("peludb/database")).toString().trimmed();
    target.user = ini.value(QStringLiteral("peludb/user")).toString().trimmed();
    if (target.database.isEmpty())
        throw DatabaseError(
            QStringLiteral("pelu.ini 中 [peludb] driver=QPSQL 需要 database=数据库名：%1").arg(iniFile()));
    if (target.port <= 0 || target.port > 65535)
        throw DatabaseError(QStringLiteral("pelu.ini 中 [peludb] port=%1 不是端口号：%2")
                                .arg(ini.value(QStringLiteral("peludb/port")).toString(), iniFile()));
    return target;
}

namespace {

// The target as another server user [peludb] names under `key`, where it names one.
DatabaseTarget asUser(DatabaseTarget target, const QString& iniFile, const QString& key) {
    const QString user = QSettings(iniFile, QSettings::IniFormat).value(key).toString().trimmed();
    if (target.isServer() && !user.isEmpty())
        target.user = user;
    return target;
}

} // namespace

DatabaseTarget DataFolder::printTarget() const {
    return asUser(databaseTarget(), iniFile(), QStringLiteral("peludb/printuser"));
}

DatabaseTarget DataFolder::ownerTarget() const {
    return asUser(databaseTarget(), iniFile(), QStringLiteral("peludb/owner"));
}

QStringList DataFolder::ignoredDatabaseSettings() const {
    const QSettings ini(iniFile(), QSettings::IniFormat);
    QStringList ignored;
    const QString driver = ini.value(QStringLiteral("peludb/driver")).toString().trimmed();
    if (!driver.isEmpty() && driver.compare(QLatin1String("QSQLITE"), Qt::CaseInsensitive) != 0 &&
        !choosesServer(ini))
        ignored << QStringLiteral("pelu.ini 中 [peludb] driver=%1 无法使用（可用 QSQLITE 或 QPSQL），"
                                  "按 QSQLITE 打开数据库。")
                       .arg(driver);
    if (ini.contains(QStringLiteral("peludb/password")))
        ignored << QStringLiteral("pelu.ini 中 [peludb] password 不会被读取：口令不以明文保存，"
                                  "请写在 ~/.pgpass（或 PGPASSFILE 指定的文件）中。");
    return ignored;
}

QString DataFolder::noPaperTold() const {
    return QSettings(iniFile(), QSettings::IniFormat).value(QStringLiteral("printer/noPaperTold")).toString();
}

void DataFolder::rememberNoPaperTold(const QString& reason) const {
    QSettings ini(iniFile(), QSettings::IniFormat);
    if (reason.isEmpty())
        ini.remove(QStringLiteral("printer/noPaperTold"));
    else
        ini.setValue(QStringLiteral("printer/noPaperTold"), reason);
}

QString DataFolder::printsFolder() const {
    return QDir(m_path).filePath(QStringLiteral("prints"));
}

QString DataFolder::templatesFolder() const {
    return QDir(m_path).filePath(QStringLiteral("templates"));
}

QString DataFolder::backupFolder() const {
    return QDir(m_path).filePath(QStringLiteral("data"));
}

QString DataFolder::lockFile() const {
    return QDir(m_path).filePath(QStringLiteral("pelu.lock"));
}

DataFolder::PrinterSettings DataFolder::printerSettings() const {
    const QSettings ini(iniFile(), QSettings::IniFormat);
    PrinterSettings settings;
    const QString mode = ini.value(QStringLiteral("printer/mode")).toString().trimmed();
    if (mode.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        settings.mode = PrinterMode::PdfOnly;
    else if (mode.compare(QLatin1String("preview"), Qt::CaseInsensitive) == 0)
        settings.mode = PrinterMode::Preview;
    else if (!mode.isEmpty() && mode.compare(QLatin1String("printer"), Qt::CaseInsensitive) != 0)
        settings.ignored << QStringLiteral(
                                "pelu.ini 中 [printer] mode=%1 无效（可用 pdf、printer、preview），"
                                "按 printer 打印。")
                                .arg(mode);
    settings.printerName = ini.value(QStringLiteral("printer/name")).toString().trimmed();

    const QString seconds = ini.value(QStringLiteral("printer/querySeconds")).toString().trimmed();
    bool ok = false;
    const int value = seconds.toInt(&ok);
    if (ok && value > 0)
        settings.querySeconds = value;
    else if (!seconds.isEmpty())
        settings.ignored << QStringLiteral(
                                "pelu.ini 中 [printer] querySeconds=%1 无效（应为正整数），按 %2 秒。")
                                .arg(seconds)
                                .arg(settings.querySeconds);
    return settings;
}
