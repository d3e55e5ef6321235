#pragma once

#include "foundation/changenotifier.h"
#include "foundation/saveoutcome.h"
#include "foundation/ui/actionguard.h"
#include "foundation/ui/appcontext.h"
#include "foundation/ui/windowhost.h"

#include <QScopedValueRollback>
#include <QWidget>
#include <optional>

// The base of every task window. A window declares once, as `static constexpr TaskWindowTraits
// traits`, the object name its form gives it and where it sits; the host opens it by type. Every
// action a control starts runs through `on`, the one guarded path: a database failure becomes
// the error message, never a crash.
class TaskWindow : public QWidget {
    Q_OBJECT
public:
    explicit TaskWindow(AppContext& context, QWidget* parent = nullptr);

protected:
    // Connects `signal` of `sender` to `action`, a member function of the window or a lambda, taking
    // no arguments and run through the guard. (A handler that needs the signal's arguments connects
    // a lambda that calls `guarded` itself.)
    template <typename Sender, typename Signal, typename Action>
    QMetaObject::Connection on(const Sender* sender, Signal signal, Action action) {
        return connect(sender, signal, this, [this, action] { guarded([&] { run(action); }); });
    }
    // Runs `action` through the guard; returns whether it ran to its end.
    bool guarded(const std::function<void()>& action);
    // Closes this window in the host, which brings back the one the operator came from.
    void closeWindow();
    // The record a window was opened for is gone meanwhile (returned, cancelled, deregistered at
    // another desk): says so with `text` and closes the window.
    void closeAsGone(const QString& text);
    // Shows what a service handed back: fills and empties the fields it names, tells its message,
    // puts the cursor where it says and, when saved, prints its documents. Returns whether saved.
    bool showOutcome(const SaveOutcome& outcome);

    // A form opened for a position another desk may take meanwhile: at each notice of `subject` that
    // is not the form's own save, `taken` is asked about the position `key` reads from the form, and
    // what it says is told the clerk at once, once for each position.
    void warnWhenTaken(ChangeNotifier::Subject subject, std::function<QString()> key,
                       std::function<std::optional<QString>(const QString& key)> taken);
    // Held while the form saves: what its own save changes is no news to it.
    [[nodiscard]] QScopedValueRollback<bool> ownSave() { return QScopedValueRollback<bool>(m_ownSave, true); }

    AppContext& m_context;

private:
    bool m_ownSave = false;
    QString m_warnedFor;
    template <typename Class> void run(void (Class::*member)()) { (static_cast<Class*>(this)->*member)(); }
    template <typename Lambda> void run(const Lambda& lambda) { lambda(); }
};
