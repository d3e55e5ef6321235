#include "foundation/ui/actionguard.h"

#include "foundation/database.h"
#include "foundation/prompter.h"
#include "foundation/rights.h"

bool runAction(Prompter& prompter, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const DatabaseError& error) {
        prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"), error.message());
    }
    return false;
}

bool passesItemGate(Session& session, Prompter& prompter, int item) {
    if (Rights::checkItem(session, item))
        return true;
    refuseMissingRight(prompter);
    return false;
}

void refuseMissingRight(Prompter& prompter) {
    prompter.inform(Prompter::Icon::Information, QStringLiteral("提示"),
                    QStringLiteral("您没有此项功能权限！请联系系统管理员"));
}
