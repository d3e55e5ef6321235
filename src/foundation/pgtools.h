#pragma once

#include <QString>
#include <QStringList>

struct DatabaseTarget;

// Backups of a PostgreSQL database through the server's own programs (pg_dump, pg_restore and psql of
// postgresql-client), started with argument lists. They read the password as every client of the server
// does, from ~/.pgpass or the file PGPASSFILE names, and never ask for one. Each throws DatabaseError
// with what the program said.
namespace PgTools {

// Dumps the target into `path` in pg_dump's custom format and checks that pg_restore can read the file.
void dump(const DatabaseTarget& target, const QString& path);
// The tables a custom-format backup holds, as the server names them (lower case). Throws when pg_restore
// does not accept the file.
QStringList tablesOf(const QString& backup);
// The schema version a backup records; 0 when it records none.
int schemaVersionOf(const QString& backup);
// Replaces everything in the target by the backup's, in one transaction, so that a failure changes
// nothing: what the backup holds is dropped and made anew, and `leftovers` (tables the target has and
// the backup does not, made by a later version of the program) are dropped.
void restore(const DatabaseTarget& target, const QString& backup, const QStringList& leftovers);

} // namespace PgTools
