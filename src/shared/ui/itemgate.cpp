#include "shared/ui/itemgate.h"

#include "foundation/ui/actionguard.h"
#include "shared/rights.h"

bool passesItemGate(Session& session, Prompter& prompter, int item) {
    if (Rights::checkItem(session, item))
        return true;
    refuseMissingRight(prompter);
    return false;
}
