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
// before; a server also drops the rows of sessions that are gone.
void enter(Database& database, const QString& operatorName, const QString& computer, const QDateTime& moment);
// The desks connected now, by the moment they logged in.
QList<Desk> list(Database& database);

} // namespace OnlineDesks
