#pragma once

#include "printbridge.h"
#include "prompter.h"

#include <QList>
#include <optional>

// What saving a task window's record hands back to the window: whether it was written, what to tell
// the operator, and the documents to print (the print bridge still decides, by the operator's print
// right and report list, whether each one prints). Services add the fields their window needs.
struct SaveOutcome {
    bool saved = false;
    std::optional<Message> message;
    QList<PrintJob> prints;
};

// The success message of a save.
inline Message congratulation(const QString& text) {
    return {Prompter::Icon::Information, QStringLiteral("恭喜"), text};
}

// A missing record right is told with the operator's own name as the caption.
inline Message lacksRight(const QString& operatorName, const QString& text) {
    return {Prompter::Icon::Information, operatorName, text};
}
