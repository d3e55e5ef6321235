#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class Database;

// Who is working now, for Admin: on a server each desk enters itself at login, keyed by its session
// on the server, and the list joins those rows with the server's own sessions, so that a desk that
// died (its session gone) never shows. One desk's file has only the desk itself.
namespace OnlineDesks {

struct Desk {
    QString operatorName;
    QString computer;
    QString since; // the moment of the login, as stored
};

// Enters this desk as `operatorName` at `computer` from `moment` on, in place of what it entered
// before; a server also drops the rows of sessions that are gone. Returns false, entering nothing,
// while a restore, an upgrade or a copy runs on the server: the desk may not start then.
bool enter(Database& database, const QString& operatorName, const QString& computer, const QDateTime& moment);
// The desks connected now, by the moment they logged in.
QList<Desk> list(Database& database);
// The other desks logged in to a server now, a line each with operator and computer: what maintenance
// waits for.
QStringList others(Database& database);

} // namespace OnlineDesks
