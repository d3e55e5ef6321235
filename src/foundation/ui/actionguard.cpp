#include "foundation/ui/actionguard.h"

#include "foundation/database.h"
#include "foundation/prompter.h"

#include <exception>

bool runAction(Prompter& prompter, const std::function<void()>& action) {
    // Whatever escapes an action ends it, never the program: every open window and what was typed in
    // it stay, and a transaction the failure left has already been rolled back.
    QString failure;
    try {
        action();
        return true;
    } catch (const DatabaseError& error) {
        prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"), error.message());
        return false;
    } catch (const std::exception& error) {
        failure = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failure = QStringLiteral("未知错误");
    }
    qCritical("操作没有完成：%s", qUtf8Printable(failure));
    prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"),
                    QStringLiteral("操作没有完成：") + failure);
    return false;
}

void refuseMissingRight(Prompter& prompter) {
    prompter.inform(Prompter::Icon::Information, QStringLiteral("提示"),
                    QStringLiteral("您没有此项功能权限！请联系系统管理员"));
}
