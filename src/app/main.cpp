#include "admin/autobackup.h"
#include "admin/importservice.h"
#include "admin/servercopy.h"
#include "app/appicon.h"
#include "app/mainwindow.h"
#include "app/taskwindows.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/maintenancelock.h"
#include "foundation/officelock.h"
#include "foundation/passwordhash.h"
#include "foundation/printbridge.h"
#include "foundation/serverroles.h"
#include "foundation/translations.h"
#include "foundation/ui/messageboxprompter.h"
#include "foundation/ui/systemprinterprobe.h"
#include "shared/loginservice.h"
#include "shared/rights.h"
#include "shared/schema.h"
#include "shared/session.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

namespace {

struct Options {
    QString dataFolder;
    bool createDatabase = false;
    QString setPasswordFor;
    bool checkStartup = false;
    bool copyToServer = false;
    QString copyFrom;
    QStringList importFiles;
    QString operatorName;
    bool dryRun = false;
};

Options parse(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("公墓管理系统"));
    parser.addHelpOption();
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("数据文件夹"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption create(QStringLiteral("create-database"),
                                    QStringLiteral("建立或升级数据库（在服务器上以 owner= 的账户），"
                                                   "给 user= 和 printuser= 的账户它们的权限后退出"));
    const QCommandLineOption setPassword(QStringLiteral("set-password"),
                                         QStringLiteral("从标准输入读取操作员的新口令后退出"),
                                         QStringLiteral("OPERATOR"));
    const QCommandLineOption checkStartup(
        QStringLiteral("check-startup"),
        QStringLiteral("启动到登录窗口出现后即退出，并报告所用内存的峰值（检查和测量启动）"));
    const QCommandLineOption copy(
        QStringLiteral("copy-to-server"),
        QStringLiteral("把单机的数据库文件（数据文件夹中的 pelu.db，或 --from 指定的文件）"
                       "复制到 pelu.ini 中 [peludb] driver=QPSQL 指定的空数据库后退出"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("--copy-to-server 复制的数据库文件"),
                                  QStringLiteral("FILE"));
    const QCommandLineOption import(
        QStringLiteral("import"),
        QStringLiteral("检查并导入 CSV 文件（mq_wz.csv 等，可跟多个文件）后退出；操作员的口令从标准输入读取"),
        QStringLiteral("FILE"));
    const QCommandLineOption operatorName(QStringLiteral("operator"), QStringLiteral("--import 的操作员"),
                                          QStringLiteral("NAME"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("--import 只检查，不导入"));
    parser.addOptions({data, create, setPassword, checkStartup, copy, from, import, operatorName, dryRun});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("--import 的其余文件"),
                                 QStringLiteral("[FILE...]"));
    parser.process(app);
    QStringList imported = parser.values(import);
    if (!imported.isEmpty())
        imported << parser.positionalArguments();
    return {parser.value(data),
            parser.isSet(create),
            parser.value(setPassword),
            parser.isSet(checkStartup),
            parser.isSet(copy),
            parser.value(from),
            imported,
            parser.value(operatorName),
            parser.isSet(dryRun)};
}

// Ends the program as soon as the login dialog is on screen, which is how start-up is checked and timed.
class QuitAtLogin : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("Frmlogin"))
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        return false;
    }
};

bool wantsWindows(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--create-database" || argument.startsWith("--set-password") ||
            argument == "--copy-to-server" || argument.startsWith("--import") || argument == "--help" ||
            argument == "-h")
            return false;
    }
    return true;
}

// The largest resident size of this program since its start, from the kernel's own count: what a
// starter's rusage reports also holds the starter's pages copied at the fork.
void reportPeakMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            QTextStream(stdout) << "peak memory: " << line.mid(6).trimmed() << Qt::endl;
}

int fail(const QString& message) {
    QTextStream(stderr) << message << Qt::endl;
    return 1;
}

// A password given by script: the first line of standard input, without the blanks around it.
QString passwordFromInput() {
    return QTextStream(stdin).readLine().trimmed();
}

// Moves the one-desk office of the folder (or the file --from names) onto the server its pelu.ini names.
int copyToServer(const Options& options, const DataFolder& folder) {
    const DatabaseTarget server = folder.ownerTarget();
    if (!server.isServer())
        return fail(QStringLiteral("pelu.ini 的 [peludb] 没有指定服务器（driver=QPSQL），无法复制：%1")
                        .arg(folder.iniFile()));
    const QString file = options.copyFrom.isEmpty() ? QDir(folder.path()).filePath(QStringLiteral("pelu.db"))
                                                    : QFileInfo(options.copyFrom).absoluteFilePath();
    Database source(file, Database::Mode::Open);
    Database target(server, Database::Mode::Empty);
    ServerCopy copy(source, target);
    copy.run();
    QTextStream(stdout) << file << " → " << server.describe() << Qt::endl
                        << copy.report().join(QLatin1Char('\n')) << Qt::endl
                        << ServerRoles::grant(target, ServerRoles::of(folder)).join(QLatin1Char('\n'))
                        << Qt::endl;
    return 0;
}

// Checks the files and, unless only a check is asked for, imports them as the operator, who must be
// Admin and give its password on standard input. Exit code 0 only when everything was (or would be) imported.
int importFiles(const Options& options, const DataFolder& folder) {
    if (options.operatorName.trimmed().isEmpty())
        return fail(QStringLiteral("请指定操作员：--operator 操作员"));
    Database database(folder.databaseTarget(), Database::Mode::Open);
    const QString password = passwordFromInput();
    Session session;
    LoginService login(database, session);
    login.pick(options.operatorName);
    if (!login.logIn(options.operatorName, password))
        return fail(QStringLiteral("操作员或口令不对：%1").arg(options.operatorName));
    if (!session.isAdmin())
        return fail(QStringLiteral("只有系统管理员才能导入数据！"));
    const SystemClock clock;
    // Logged in like a desk: kept out while a restore or an upgrade runs, and seen by them meanwhile.
    if (!login.announce(clock.now()))
        return fail(MaintenanceLock::busyText());
    database.setOperator(session.operatorName);
    ImportService service(database, session, folder, clock);
    const auto tellProblems = [](const ImportService::Report& report) {
        QTextStream err(stderr);
        for (const ImportService::Problem& problem : report.problems)
            err << QStringLiteral("%1 第 %2 行 %3：%4")
                       .arg(problem.file)
                       .arg(problem.line)
                       .arg(problem.column.isEmpty() ? QStringLiteral("-") : problem.column, problem.text)
                << Qt::endl;
    };
    if (options.dryRun) {
        const ImportService::Report report = service.check(options.importFiles);
        tellProblems(report);
        if (!report.clean())
            return fail(report.refusal());
        QTextStream(stdout) << QStringLiteral("检查完毕，%1 条记录都可以导入。").arg(report.rows) << Qt::endl;
        return 0;
    }
    const ImportService::Outcome outcome = service.import(options.importFiles);
    tellProblems(outcome.report);
    if (!outcome.imported)
        return fail(outcome.message);
    QTextStream(stdout) << outcome.message << Qt::endl;
    return 0;
}

int runCommandLine(const Options& options, DataFolder& folder) {
    // One task a run: a password given beside --create-database would otherwise be dropped unsaid.
    if (int(options.createDatabase) + int(options.copyToServer) + int(!options.setPasswordFor.isEmpty()) +
            int(!options.importFiles.isEmpty()) >
        1)
        return fail(
            QStringLiteral("--create-database、--copy-to-server、--set-password 和 --import 一次只能用一个，"
                           "什么也没有做。请分开运行。"));
    try {
        folder.prepare();
        if (options.createDatabase || options.copyToServer) {
            // An upgrade must not run under the feet of an office that is open.
            OfficeLock lock(folder.lockFile());
            if (lock.take() == OfficeLock::Outcome::HeldByRunningCopy)
                return fail(QStringLiteral("Pelu 正在运行（锁文件 %1），请先退出再建立或升级数据库。")
                                .arg(folder.lockFile()));
            for (const QString& ignored : folder.ignoredDatabaseSettings())
                QTextStream(stderr) << ignored << Qt::endl;
            if (options.copyToServer)
                return copyToServer(options, folder);
            Database database(folder.ownerTarget(), Database::Mode::Create);
            QTextStream(stdout) << database.target().describe() << Qt::endl;
            if (database.isServer())
                QTextStream(stdout)
                    << ServerRoles::grant(database, ServerRoles::of(folder)).join(QLatin1Char('\n'))
                    << Qt::endl;
            return 0;
        }
        if (!options.importFiles.isEmpty())
            return importFiles(options, folder);
        if (options.setPasswordFor.trimmed().isEmpty())
            return fail(QStringLiteral("请指定操作员：--set-password 操作员"));
        Database database(folder.databaseTarget(), Database::Mode::Open);
        const QString password = passwordFromInput();
        if (password.isEmpty())
            return fail(QStringLiteral("口令不能为空，口令未修改。"));
        QSqlQuery done =
            database.exec(QStringLiteral("UPDATE czy SET 口令 = ? WHERE 操作员 = ?"),
                          {PasswordHash::make(password), options.setPasswordFor}, QStringLiteral("修改口令"));
        if (done.numRowsAffected() != 1)
            return fail(QStringLiteral("没有操作员：%1").arg(options.setPasswordFor));
        QTextStream(stdout) << QStringLiteral("已修改 %1 的口令。").arg(options.setPasswordFor) << Qt::endl;
        return 0;
    } catch (const DatabaseError& error) {
        return fail(error.message());
    }
}

// A data folder without a database is a new office started from the desktop menu, or an office whose
// database was lost; only the operator can tell, so a new empty database is made only when asked for.
Database::Mode databaseMode(const DataFolder& folder) {
    // A server's database is made by --create-database only: one desk must not start a new office alone.
    if (folder.databaseTarget().isServer() || QFileInfo::exists(folder.databaseFile()))
        return Database::Mode::Open;
    const auto answer =
        QMessageBox::question(nullptr, QStringLiteral("建立数据库"),
                              QStringLiteral("数据文件夹中还没有数据库：\n%1\n\n是否建立一个新的空数据库？\n"
                                             "（原有的数据库如果丢失了，请选“否”，再从备份还原。）")
                                  .arg(folder.databaseFile()),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? Database::Mode::Create : Database::Mode::Open;
}

int runOffice(QApplication& app, DataFolder& folder, const Options& options) {
    std::unique_ptr<Database> database;
    OfficeLock lock(folder.lockFile());
    try {
        folder.prepare();
        // A second copy of the program ends at once, silently, before it touches the database.
        if (lock.take() == OfficeLock::Outcome::HeldByRunningCopy)
            return 0;
        folder.removeDeadBackupParts();
        database = std::make_unique<Database>(folder.databaseTarget(), databaseMode(folder));
        for (const QString& ignored : folder.ignoredDatabaseSettings()) {
            QTextStream(stderr) << ignored << Qt::endl;
            QMessageBox::warning(nullptr, QStringLiteral("提示"), ignored);
        }
    } catch (const DatabaseError& error) {
        QTextStream(stderr) << error.message() << Qt::endl;
        QMessageBox::critical(nullptr, QStringLiteral("错误"), error.message());
        return 1;
    }

    Session session;
    SystemClock clock;
    MessageBoxPrompter prompter;
    DetachedProcessLauncher launcher;
    PrintBridge printBridge(Rights::printRights(session), launcher, QCoreApplication::applicationDirPath());
    SystemPrinterProbe printerProbe;
    printBridge.sayWherePdfsGo(folder, printerProbe, prompter);
    MainWindow mainWindow(*database, session, clock, prompter, printBridge, folder);
    prompter.setOwner(&mainWindow);
    registerTaskWindows(mainWindow);
    AutoBackups autoBackups(*database, folder, clock, prompter);
    if (options.checkStartup)
        app.installEventFilter(new QuitAtLogin(&app));
    else
        autoBackups.start();
    mainWindow.showMaximized();
    mainWindow.startLoginTimer();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    // Every database this program opens is the office's.
    Database::useSchema(&Schema::plan());
    QCoreApplication::setApplicationName(QStringLiteral("pelu"));
    QCoreApplication::setOrganizationName(QStringLiteral("pelu"));
    if (!wantsWindows(argc, argv)) {
        QCoreApplication app(argc, argv);
        const Options options = parse(app);
        DataFolder folder(DataFolder::choose(options.dataFolder));
        folder.keepPrivate();
        qputenv("PELU_DATA", folder.path().toLocal8Bit());
        return runCommandLine(options, folder);
    }
    QApplication app(argc, argv);
    Translations::installChinese(app);
    app.setWindowIcon(AppIcon::icon());
    const Options options = parse(app);
    DataFolder folder(DataFolder::choose(options.dataFolder));
    folder.keepPrivate();
    // The printing and restore programs find the same data folder through the environment.
    qputenv("PELU_DATA", folder.path().toLocal8Bit());
    const int code = runOffice(app, folder, options);
    if (options.checkStartup)
        reportPeakMemory();
    return code;
}
