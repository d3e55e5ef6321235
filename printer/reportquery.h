#pragma once

#include <QSqlQuery>
#include <QString>

class Database;

// The report query is complete SQL text from the command line, so pelu-print runs it only after
// SQLite itself has confirmed that it is exactly one statement, a SELECT, that reads and never writes.
// The connection is opened read-only as well, so a write could not land even if this check let one by.
namespace ReportQuery {

// Throws PrintError with the reason when `sql` is not a single read-only SELECT. Returns the statement
// without what may follow it (a semicolon, blanks, comments).
QString checkSingleSelect(Database& database, const QString& sql);
// Checks, then runs the query forward-only; the rows are read straight from the returned query.
QSqlQuery run(Database& database, const QString& sql);

} // namespace ReportQuery
