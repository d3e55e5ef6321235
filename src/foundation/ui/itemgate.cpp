#include "foundation/ui/itemgate.h"

#include "foundation/rights.h"
#include "foundation/ui/actionguard.h"

bool passesItemGate(Session& session, Prompter& prompter, int item) {
    if (Rights::checkItem(session, item))
        return true;
    refuseMissingRight(prompter);
    return false;
}
