#pragma once

#include "foundation/schemaplan.h"

#include <QStringList>

class Database;

// The database layout: one list of steps, each moving the schema one version forward.
namespace Schema {

using Migration = SchemaStep;

// The office's plan as Database runs it: these steps, the server's wording, the position indexes.
const SchemaPlan& plan();

// The steps in order; step i (0-based) brings the database from version i to version i + 1.
const QList<Migration>& migrations();
int latestVersion();

// A statement of the steps as a PostgreSQL server takes it: its own types for keys, doubles and
// generated columns. The steps are written for SQLite; what cannot be said in both lives in their seeds.
QString forServer(const QString& statement);

// The keys of the plots and niches held more than once while one of them is in use: their table waits for
// its unique index until someone sorts them out.
QStringList duplicatePositions(Database& database);
// The unique indexes of positions, which an office lacks while a position is held twice in use; every
// opening adds them once it no longer is.
QStringList positionIndexes();
// At every opening: where a table still lacks its unique index of positions, removes its free duplicates
// and adds the index once none is left.
void completePositionIndexes(Database& database);

} // namespace Schema
