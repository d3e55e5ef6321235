#pragma once

#include "foundation/printbridge.h"
#include "foundation/prompter.h"

#include <QList>
#include <optional>

// What an action of a task window hands back to the window, the one shape every service returns:
// whether it was written, what to tell the operator, the window's fields (by object name) to fill,
// empty or put the cursor in, and the documents to print (the print bridge still decides, by the
// operator's print right and report list, whether each one prints).
struct SaveOutcome {
    bool saved = false;
    std::optional<Message> message;
    QList<std::pair<QString, QString>> fill; // field, text: set before the message is shown
    QString clear;                           // emptied before the message is shown
    QString focus;                           // takes the cursor after the message
    QList<PrintJob> prints;
};

// A refusal: the message, and the field to put the cursor in and the one to empty, if any.
inline SaveOutcome refused(const Message& message, const QString& focus = QString(),
                           const QString& clear = QString()) {
    SaveOutcome outcome;
    outcome.message = message;
    outcome.focus = focus;
    outcome.clear = clear;
    return outcome;
}

// A done action: what to tell the operator, if anything, and the documents to print.
inline SaveOutcome done(const std::optional<Message>& message = std::nullopt,
                        const QList<PrintJob>& prints = {}) {
    SaveOutcome outcome;
    outcome.saved = true;
    outcome.message = message;
    outcome.prints = prints;
    return outcome;
}

// The plain notice of a refused save: "提示" with the information icon.
inline Message notice(const QString& text) {
    return {Prompter::Icon::Information, QStringLiteral("提示"), text};
}

// A warning: "提示" with the exclamation icon, for a value refused or a record changed meanwhile.
inline Message warning(const QString& text) {
    return {Prompter::Icon::Exclamation, QStringLiteral("提示"), text};
}

// A message without a caption, as the office's older windows tell theirs.
inline Message plain(const QString& text) {
    return {Prompter::Icon::Information, QString(), text};
}

// The success message of a save.
inline Message congratulation(const QString& text) {
    return {Prompter::Icon::Information, QStringLiteral("恭喜"), text};
}

// A missing record right is told with the operator's own name as the caption.
inline Message lacksRight(const QString& operatorName, const QString& text) {
    return {Prompter::Icon::Information, operatorName, text};
}
