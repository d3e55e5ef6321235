#pragma once

#include "foundation/printbridge.h"
#include "statistics/tally.h"

class Database;

// The counted statistics of plot sales and of the columbarium, each shown as a chart and printed from
// its work table.
enum class CountKind {
    PlotSales,        // Frm_Mwxstj: plots, sold, reserved and advance-bought plots of a period
    TombstoneTypes,   // Frm_Bxxstj: plots sold in a period by tombstone type
    NicheOccupancy,   // Frmjcrqtj: niches and the storages begun in a period
    PlotSalesByMonth, // Frmnxstj: plots sold in each month of a year
    StoragesByMonth,  // Frmghjcntj: storages begun in each month of a year
};

constexpr bool countsByMonth(CountKind kind) {
    return kind == CountKind::PlotSalesByMonth || kind == CountKind::StoragesByMonth;
}

class SalesCounts {
public:
    explicit SalesCounts(Database& database) : m_database(database) {}

    // The figures of `kind` over `period` (a whole year for the monthly counts). Counts are of real plots
    // and niches, never of marker rows; a sale is a plot, however many register rows it has.
    QList<Figure> count(CountKind kind, const Period& period);
    // Writes `figures` into the work table of `kind` in one transaction, replacing what it held, and
    // returns the print of that table. What prints is therefore exactly what was counted and shown.
    PrintJob print(CountKind kind, const QList<Figure>& figures, const Period& period);

    static QString heading(CountKind kind, const Period& period);

private:
    QList<Figure> monthly(const QString& sql, int year);

    Database& m_database;
};
