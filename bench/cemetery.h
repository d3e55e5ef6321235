#pragma once

#include <QString>
#include <QStringList>

class Database;

// The shape of a generated cemetery: areas of rows of numbered plots. The default is the size the
// office must stay quick with: 100,000 plots.
struct CemeteryShape {
    int areas = 10;
    int rowsPerArea = 20;
    int plotsPerRow = 500;
    int plots() const { return areas * rowsPerArea * plotsPerRow; }
};

namespace Cemetery {

constexpr int registrations = 200000;

// Fills mq_wz of a fresh database with plots of every style, priced by area, in the mix of states
// of a working cemetery: six in ten free, two sold, one reserved, one withheld from sale.
void generate(Database& database, const CemeteryShape& shape);
// Adds `rows` purchase fee records of the generated plots to gm_xf1, every column filled, bought in 2024 or,
// with more `years`, spread over that many years up to 2024.
void addFeeRecords(Database& database, int rows, int years = 1);
// Adds 200,000 register rows: two for every plot (a purchase and a burial, bought the same day), bought over
// the twenty years 2005 to 2024 and used for twenty years from then, with tombstone types and salesmen;
// and the reserved plots' reservations.
void addRegistrations(Database& database, const CemeteryShape& shape);
// A date of the twenty years from `firstYear` picked by the row counter `n`, as SQL; counters that end
// in the same digit still spread over all the years.
QString spreadDate(const QString& n, int firstYear = 2005);
// Adds `rows` Spring Festival lamp payments, cycling over every plot of `shape`, from 2005 to 2024:
// a plot pays every second year, each payment for that year or for two.
void addLampFees(Database& database, const CemeteryShape& shape, int rows);
// Adds free plots with the given four-character numbers to one row.
void addRow(Database& database, const QString& area, const QString& row, const QStringList& numbers);

} // namespace Cemetery
