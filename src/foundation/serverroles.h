#pragma once

#include <QString>
#include <QStringList>

class Database;
class DataFolder;

// On a server the office's tables belong to an owner role, kept for maintenance: making, upgrading,
// copying and restoring the schema. The desks connect as a desk role that may read and write the
// office's rows but not change a table, a trigger or the history; pelu-print connects as a print role
// that may only read. pelu.ini names them: owner=, user= and printuser= of [peludb].
namespace ServerRoles {

struct Roles {
    QString owner;
    QString desk;
    QString print;
};
// The roles pelu.ini names; a role not named is the desk's (owner, desk) or has no rights of its own.
Roles of(const DataFolder& folder);

// Gives the desk and print roles exactly their rights on every table there is now, taking any others
// away, in one transaction. Runs as the owner after anything that makes or remakes tables; a role that is
// the owner itself keeps everything. Throws DatabaseError naming a role that is missing, is a superuser,
// or has the owner's rights through membership (it could then undo all this), and when `owner` is not
// connected as the tables' owner. Returns what each role may now do, in words.
QStringList grant(Database& owner, const Roles& roles);

// Whether the connected role may change the schema: it owns the tables (or the database has none yet).
bool mayChangeSchema(Database& database);

} // namespace ServerRoles
