#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Database;

// The shape of a generated cemetery: areas of rows of numbered plots. Scale 1 is the size the office
// must stay quick with, 100,000 plots; a larger scale adds areas of the same size. Everything generated
// with the plots (registers, fees, lamp payments) grows with them.
struct CemeteryShape {
    int areas = 10;
    int rowsPerArea = 20;
    int plotsPerRow = 500;

    static CemeteryShape scaled(int scale) {
        CemeteryShape shape;
        shape.areas *= scale;
        return shape;
    }
    int plots() const { return areas * rowsPerArea * plotsPerRow; }
    // Two register rows for every plot: a purchase and a burial.
    int registrations() const { return 2 * plots(); }
    // Purchase fee records over twenty years.
    int feeRecords() const { return 3 * plots(); }
    // Spring Festival lamp payments over twenty years.
    int lampPayments() const { return 10 * plots(); }
};

namespace Cemetery {

// Fills mq_wz of a fresh database with plots of every style, priced by area, in the mix of states
// of a working cemetery: six in ten free, two sold, one reserved, one withheld from sale.
void generate(Database& database, const CemeteryShape& shape);
// Adds `rows` purchase fee records of the generated plots to gm_xf1, every column filled, bought in 2024 or,
// with more `years`, spread over that many years up to 2024.
void addFeeRecords(Database& database, int rows, int years = 1);
// Adds the register rows: two for every plot (a purchase and a burial, bought the same day), bought over
// the twenty years 2005 to 2024 and used for twenty years from then, with tombstone types and salesmen;
// and the reserved plots' reservations.
void addRegistrations(Database& database, const CemeteryShape& shape);
// A date of the twenty years from `firstYear` picked by the row counter `n`, as SQL; counters that end
// in the same digit still spread over all the years.
QString spreadDate(const QString& n, int firstYear = 2005);
// Adds `rows` Spring Festival lamp payments, cycling over every plot of `shape`, from 2005 to 2024:
// a plot pays every second year, each payment for that year or for two.
void addLampFees(Database& database, const CemeteryShape& shape, int rows);
// Adds the change history of twenty years as the office would have written it row by row: a line for
// every register row, with the row after its insert. Run after addRegistrations.
void addHistory(Database& database);
// Adds free plots with the given four-character numbers to one row.
void addRow(Database& database, const QString& area, const QString& row, const QStringList& numbers);

// Runs `work` as one transaction that the history records as one bulk line of `rows` added to `table`.
void asBulk(Database& database, const QString& table, const QString& what, qint64 rows,
            const std::function<void()>& work);
// Runs a generating statement over the counters [0, rows) in slices of at most a million, each its own
// transaction recorded in the history as one bulk line: a write-ahead log of one slice, not of
// everything, and no row-by-row history. `work(from, to)` writes the rows of its slice.
void inSlices(Database& database, const QString& table, const QString& what, qint64 rows,
              const std::function<void(qint64 from, qint64 to)>& work);

} // namespace Cemetery
