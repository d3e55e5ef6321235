#pragma once

#include "foundation/saveoutcome.h"

#include <QDate>
#include <QStringList>

class Database;
class Prompter;
struct Session;

// The five right marks of an operator as the window ticks them: ticked means allowed (stored 0).
struct RightMarks {
    bool system = true;
    bool add = true;
    bool modify = true;
    bool remove = true;
    bool print = true;
};

// What the new-operator frame holds, as typed.
struct NewOperator {
    QString code;
    QString password;
    QString confirmation;
    QString level;
};

// The operators of czy. Only Admin adds, removes and sets right marks; every operator changes his own
// password. Actions that ask a question ask through the
// Prompter; every action hands back what to tell the operator.
class OperatorService {
public:
    OperatorService(Database& database, const Session& session, Prompter& prompter);

    // Every operator, salesmen included, in the order they were entered.
    QStringList operators();
    RightMarks marks(const QString& name);
    // Writes the marks changed from `loaded`, as the window showed them, while the operator's row still
    // holds those.
    SaveOutcome saveMarks(const QString& picked, const RightMarks& loaded, const RightMarks& marks);

    // Refuses anyone but Admin before the new-operator frame opens.
    std::optional<Message> refuseAdding() const;
    // The check made when the code box is left, and again on save.
    SaveOutcome checkNewCode(const QString& code);
    // A new operator grants nothing until the rights editors grant it something.
    SaveOutcome add(const NewOperator& input);
    // `listed`: how many operators the list holds; the last one is never removed.
    SaveOutcome remove(const QString& picked, int listed);

    // Refuses a change of somebody else's password before the new one is asked for.
    std::optional<Message> refusePasswordChange(const QString& picked) const;
    SaveOutcome changePassword(const QString& picked, const QString& password, const QString& confirmation);

private:
    Database& m_database;
    const Session& m_session;
    Prompter& m_prompter;
};
