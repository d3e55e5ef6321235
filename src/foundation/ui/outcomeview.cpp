#include "outcomeview.h"

#include "appcontext.h"
#include "saveoutcome.h"

bool tellAndPrint(AppContext& context, const SaveOutcome& outcome) {
    if (outcome.message)
        context.prompter.inform(outcome.message->icon, outcome.message->caption, outcome.message->text);
    if (!outcome.saved)
        return false;
    for (const PrintJob& job : outcome.prints)
        context.printBridge.print(job);
    return true;
}
