#pragma once

#include <QStringList>

class Database;

// The columbarium's halls and rooms as the windows list them.
namespace NicheHalls {

// Every hall, markers of empty halls included, in the clerk's order.
QStringList all(Database& database);
// The named rooms of a hall, in the clerk's order.
QStringList rooms(Database& database, const QString& hall);

} // namespace NicheHalls
