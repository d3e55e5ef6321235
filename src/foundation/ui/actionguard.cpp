#include "actionguard.h"

#include "database.h"
#include "prompter.h"

bool runAction(Prompter& prompter, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const DatabaseError& error) {
        prompter.inform(Prompter::Icon::Critical, QStringLiteral("错误"), error.message());
    }
    return false;
}
