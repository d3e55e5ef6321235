#include "restore/restoreflow.h"

#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/officelock.h"
#include "foundation/printbridge.h"
#include "foundation/prompter.h"
#include "restore/restorer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <optional>

namespace {

// Pelu starts this program and then ends; it lets go of the data folder within moments.
bool waitForPelu(OfficeLock& lock) {
    const QDeadlineTimer deadline(std::chrono::seconds(20));
    while (lock.take() == OfficeLock::Outcome::HeldByRunningCopy) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(200);
    }
    return true;
}

// Returns the safety copy's path when a backup went in, nothing when the operator gave up.
std::optional<QString> pickAndSwap(const DataFolder& folder, const Clock& clock, Prompter& prompter) {
    Restorer restorer(folder, clock);
    for (;;) {
        const QString file =
            prompter.openFileName(QStringLiteral("选择要还原的备份文件"), folder.backupFolder(),
                                  QStringLiteral("备份文件 (*.dat *.db);;所有文件 (*)"));
        if (file.isEmpty())
            return std::nullopt;
        if (const std::optional<QString> refusal = restorer.prepare(file)) {
            prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"),
                            QStringLiteral("不能用这个文件还原数据：\n%1\n\n%2\n\n当前的数据库没有任何改动。")
                                .arg(file, *refusal));
            continue;
        }
        QString question =
            QStringLiteral("用备份文件\n%1\n替换当前的数据库吗？\n当前的数据库会先另存一份。").arg(file);
        if (!restorer.repairs().isEmpty())
            question += QStringLiteral("\n\n备份中缺少本程序建立的以下结构，还原时补上：\n%1\n"
                                       "缺少期间的修改没有记入操作记录。")
                            .arg(listedNames(restorer.repairs()));
        if (prompter.ask(QStringLiteral("问题"), question) != Prompter::Answer::Yes)
            continue;
        return restorer.swapIn([&](const QStringList& desks) {
            return prompter.ask(
                       QStringLiteral("问题"),
                       QStringLiteral("以下电脑上还有操作员登录着数据库：\n%1\n\n仍要还原吗？还原后他们"
                                      "打开的窗口都会关闭，要重新登录。")
                           .arg(desks.join(QLatin1Char('\n')))) == Prompter::Answer::Yes;
        });
    }
}

} // namespace

int runRestore(const DataFolder& folder, const Clock& clock, Prompter& prompter, ProcessLauncher& launcher,
               const QString& programFolder) {
    std::optional<OfficeLock> lock(std::in_place, folder.lockFile());
    std::optional<QString> safetyCopy;
    try {
        if (!waitForPelu(*lock)) {
            prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"),
                            QStringLiteral("Pelu 仍在运行，不能还原数据。请先退出 Pelu 再还原。"));
            return 1;
        }
        safetyCopy = pickAndSwap(folder, clock, prompter);
    } catch (const DatabaseError& error) {
        prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"),
                        QStringLiteral("还原数据失败：\n%1").arg(error.message()));
    }
    QString said = safetyCopy ? QStringLiteral("数据已还原。") : QStringLiteral("数据没有还原。");
    if (safetyCopy && !safetyCopy->isEmpty())
        said += QStringLiteral("\n原来的数据库另存为：%1").arg(*safetyCopy);
    if (prompter.ask(QStringLiteral("提示"), said + QStringLiteral("\n\n要重新启动 Pelu 吗？")) ==
        Prompter::Answer::Yes) {
        // Pelu would end at once, silently, while this program still holds the data folder.
        lock.reset();
        launcher.startDetached(QDir(programFolder).filePath(QStringLiteral("pelu")),
                               {QStringLiteral("--data"), folder.path()});
    }
    return 0;
}
