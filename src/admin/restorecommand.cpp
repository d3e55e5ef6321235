#include "admin/restorecommand.h"

#include "foundation/printbridge.h"
#include "foundation/prompter.h"

#include <QDir>
#include <QFileInfo>

bool startRestore(Prompter& prompter, ProcessLauncher& launcher, const QString& programFolder) {
    if (prompter.ask(Prompter::Icon::Information, QStringLiteral("提示"),
                     QStringLiteral("还原数据将退出Pelu，要继续吗？")) != Prompter::Answer::Yes)
        return false;
    const QString program = QDir(programFolder).filePath(QStringLiteral("pelu-restore"));
    if (!QFileInfo(program).isExecutable()) {
        prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"),
                        QStringLiteral("找不到还原程序：%1\nPelu 继续运行。").arg(program));
        return false;
    }
    launcher.startDetached(program, {});
    return true;
}
