#pragma once

#include <QStringList>

class Database;

// The cemetery's areas and rows as the windows list them.
namespace PlotAreas {

// Every area, markers of empty areas included, in name order.
QStringList all(Database& database);
// The named rows of an area, in name order; an area set up without rows has none.
QStringList rows(Database& database, const QString& area);

} // namespace PlotAreas
