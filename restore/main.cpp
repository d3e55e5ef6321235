#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/printbridge.h"
#include "foundation/translations.h"
#include "foundation/ui/messageboxprompter.h"
#include "restore/restoreflow.h"
#include "shared/schema.h"

#include <QApplication>
#include <QCommandLineParser>

int main(int argc, char** argv) {
    // Every database this program opens is the office's.
    Database::useSchema(&Schema::plan());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelu-restore"));
    QCoreApplication::setOrganizationName(QStringLiteral("pelu"));
    Translations::installChinese(app);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("公墓管理系统：还原数据"));
    parser.addHelpOption();
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("数据文件夹"),
                                  QStringLiteral("DIR"));
    parser.addOption(data);
    parser.process(app);

    const DataFolder folder(DataFolder::choose(parser.value(data)));
    folder.keepPrivate();
    const SystemClock clock;
    MessageBoxPrompter prompter;
    DetachedProcessLauncher launcher;
    return runRestore(folder, clock, prompter, launcher, QCoreApplication::applicationDirPath());
}
