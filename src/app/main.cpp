#include "clock.h"
#include "database.h"
#include "datafolder.h"
#include "mainwindow.h"
#include "messageboxprompter.h"
#include "passwordhash.h"
#include "printbridge.h"
#include "session.h"
#include "taskwindows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLockFile>
#include <QMessageBox>
#include <QTextStream>
#include <cstdio>

namespace {

struct Options {
    QString dataFolder;
    bool createDatabase = false;
    QString setPasswordFor;
};

Options parse(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("公墓管理系统"));
    parser.addHelpOption();
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("数据文件夹"),
                                  QStringLiteral("DIR"));
    const QCommandLineOption create(QStringLiteral("create-database"),
                                    QStringLiteral("建立或升级数据库后退出"));
    const QCommandLineOption setPassword(QStringLiteral("set-password"),
                                         QStringLiteral("从标准输入读取操作员的新口令后退出"),
                                         QStringLiteral("OPERATOR"));
    parser.addOptions({data, create, setPassword});
    parser.process(app);
    return {parser.value(data), parser.isSet(create), parser.value(setPassword)};
}

bool wantsWindows(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--create-database" || argument.startsWith("--set-password") ||
            argument == "--help" || argument == "-h")
            return false;
    }
    return true;
}

int fail(const QString& message) {
    QTextStream(stderr) << message << Qt::endl;
    return 1;
}

int runCommandLine(const Options& options, DataFolder& folder) {
    try {
        folder.prepare();
        Database database(folder.databaseFile());
        if (!options.setPasswordFor.isEmpty()) {
            const QString password = QTextStream(stdin).readLine().trimmed();
            if (password.isEmpty())
                return fail(QStringLiteral("口令不能为空。"));
            QSqlQuery done = database.exec(QStringLiteral("UPDATE czy SET 口令 = ? WHERE 操作员 = ?"),
                                           {PasswordHash::make(password), options.setPasswordFor},
                                           QStringLiteral("修改口令"));
            if (done.numRowsAffected() != 1)
                return fail(QStringLiteral("没有操作员：%1").arg(options.setPasswordFor));
            QTextStream(stdout) << QStringLiteral("已修改 %1 的口令。").arg(options.setPasswordFor)
                                << Qt::endl;
            return 0;
        }
        QTextStream(stdout) << database.filePath() << Qt::endl;
        return 0;
    } catch (const DatabaseError& error) {
        return fail(error.message());
    }
}

int runOffice(QApplication& app, DataFolder& folder) {
    std::unique_ptr<Database> database;
    // A second copy of the program ends at once, silently, before it touches the database.
    QLockFile lock(folder.lockFile());
    lock.setStaleLockTime(0);
    try {
        folder.prepare();
        if (!lock.tryLock(0))
            return 0;
        database = std::make_unique<Database>(folder.databaseFile());
    } catch (const DatabaseError& error) {
        QMessageBox::critical(nullptr, QStringLiteral("错误"), error.message());
        return 1;
    }

    Session session;
    SystemClock clock;
    MessageBoxPrompter prompter;
    DetachedProcessLauncher launcher;
    PrintBridge printBridge(session, launcher, QCoreApplication::applicationDirPath());
    MainWindow mainWindow(*database, session, clock, prompter, printBridge, folder);
    prompter.setOwner(&mainWindow);
    registerTaskWindows(mainWindow);
    mainWindow.showMaximized();
    mainWindow.startLoginTimer();
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("pelu"));
    QCoreApplication::setOrganizationName(QStringLiteral("pelu"));
    if (!wantsWindows(argc, argv)) {
        QCoreApplication app(argc, argv);
        const Options options = parse(app);
        DataFolder folder(DataFolder::choose(options.dataFolder));
        qputenv("PELU_DATA", folder.path().toLocal8Bit());
        return runCommandLine(options, folder);
    }
    QApplication app(argc, argv);
    const Options options = parse(app);
    DataFolder folder(DataFolder::choose(options.dataFolder));
    // The printing and restore programs find the same data folder through the environment.
    qputenv("PELU_DATA", folder.path().toLocal8Bit());
    return runOffice(app, folder);
}
