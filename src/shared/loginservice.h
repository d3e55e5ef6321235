#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class Database;
struct Session;

// The login rules: who may log in, the pick-before-password order, the password test and the
// login values it leaves in the session. One instance lives as long as one login dialog.
class LoginService {
public:
    LoginService(Database& database, Session& session);

    // Every operator except salesmen, in the order they were entered.
    QStringList offeredOperators();
    // Picking a name from the list makes it the current operator and keeps its password hash.
    void pick(const QString& listText);
    // The dialog's test: a password typed, the list text being the operator picked, and the trimmed
    // password matching. On success the login values are loaded into the session.
    bool logIn(const QString& listText, const QString& typedPassword);
    // After a login: enters the operator and this computer in the list of who is working, from
    // `moment` on. Returns false while a restore, an upgrade or a copy runs on the server: the desk
    // may not start then (MaintenanceLock::busyText()). Not being listed costs the office nothing: a
    // failure to enter is only logged.
    bool announce(const QDateTime& moment);

private:
    Database& m_database;
    Session& m_session;
    QString m_storedHash;
};
