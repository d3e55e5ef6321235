#include "foundation/ui/taskwindow.h"

#include "foundation/database.h"
#include "foundation/printbridge.h"
#include "foundation/prompter.h"

#include <QLineEdit>
#include <stdexcept>

TaskWindow::TaskWindow(AppContext& context, QWidget* parent) : QWidget(parent), m_context(context) {}

bool TaskWindow::guarded(const std::function<void()>& action) {
    m_context.database.setWindow(windowTitle());
    return runAction(m_context.prompter, action);
}

void TaskWindow::closeWindow() {
    m_context.host.close(this);
}

bool TaskWindow::showOutcome(const SaveOutcome& outcome) {
    // A name the window does not have is a fault of the program, found by the first test of it.
    const auto field = [this](const QString& name) {
        auto* found = findChild<QLineEdit*>(name);
        if (!found)
            throw std::logic_error("no field " + name.toStdString() + " in " + objectName().toStdString());
        return found;
    };
    for (const auto& [name, text] : outcome.fill)
        field(name)->setText(text);
    if (!outcome.clear.isEmpty())
        field(outcome.clear)->clear();
    if (outcome.message)
        m_context.prompter.inform(outcome.message->icon, outcome.message->caption, outcome.message->text);
    if (!outcome.focus.isEmpty())
        field(outcome.focus)->setFocus();
    if (!outcome.saved)
        return false;
    for (const PrintJob& job : outcome.prints)
        m_context.printBridge.print(job);
    return true;
}
