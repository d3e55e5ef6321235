#include "foundation/ui/taskwindow.h"

#include "foundation/database.h"
#include "foundation/printbridge.h"
#include "foundation/prompter.h"

#include <QLineEdit>
#include <stdexcept>

TaskWindow::TaskWindow(AppContext& context, QWidget* parent) : QWidget(parent), m_context(context) {}

bool TaskWindow::guarded(const std::function<void()>& action) {
    // The form's name, which stays the same for every opening; a title may carry the plot it shows.
    m_context.database.setWindow(objectName());
    return runAction(m_context.prompter, action);
}

void TaskWindow::warnWhenTaken(ChangeNotifier::Subject subject, std::function<QString()> key,
                               std::function<std::optional<QString>(const QString& key)> taken) {
    connect(&m_context.database.changes(), &ChangeNotifier::changed, this,
            [this, subject, key = std::move(key), taken = std::move(taken)](ChangeNotifier::Subject heard) {
                if (heard != subject || m_ownSave)
                    return;
                guarded([&] {
                    const QString position = key().trimmed();
                    if (position.isEmpty() || position == m_warnedFor || !isVisible())
                        return;
                    if (const std::optional<QString> takenText = taken(position)) {
                        m_warnedFor = position;
                        showOutcome(refused(warning(*takenText)));
                    }
                });
            });
}

void TaskWindow::closeWindow() {
    m_context.host.close(this);
}

void TaskWindow::closeAsGone(const QString& text) {
    showOutcome(refused(notice(text)));
    closeWindow();
}

bool TaskWindow::showOutcome(const SaveOutcome& outcome) {
    // A name the window does not have is a fault of the program, found by the first test of it.
    const auto control = [this]<typename Control>(const QString& name) {
        auto* found = findChild<Control*>(name);
        if (!found)
            throw std::logic_error("no control " + name.toStdString() + " in " + objectName().toStdString());
        return found;
    };
    for (const auto& [name, text] : outcome.fill)
        control.operator()<QLineEdit>(name)->setText(text);
    if (!outcome.clear.isEmpty())
        control.operator()<QLineEdit>(outcome.clear)->clear();
    if (outcome.message)
        m_context.prompter.inform(outcome.message->icon, outcome.message->caption, outcome.message->text);
    // Any control takes the focus: a date field as well as a text field.
    if (!outcome.focus.isEmpty())
        control.operator()<QWidget>(outcome.focus)->setFocus();
    if (!outcome.saved)
        return false;
    m_context.printBridge.print(outcome.prints);
    return true;
}
