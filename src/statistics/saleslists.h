#pragma once

#include "foundation/boundquery.h"
#include "foundation/printbridge.h"
#include "statistics/tally.h"

class Database;

// The five lists of money rows over a period, each narrowed by one more condition.
enum class SalesListKind {
    AreaReservations, // Frmmxyd
    AreaSales,        // Frmmxxs
    AreaBurials,      // Frmmxaztj
    PriceRange,       // Frmmxjgfwxstj
    Salesman,         // Frmywyxs
};

constexpr const char* salesListWindow(SalesListKind kind) {
    switch (kind) {
    case SalesListKind::AreaReservations:
        return "Frmmxyd";
    case SalesListKind::AreaSales:
        return "Frmmxxs";
    case SalesListKind::AreaBurials:
        return "Frmmxaztj";
    case SalesListKind::PriceRange:
        return "Frmmxjgfwxstj";
    case SalesListKind::Salesman:
        return "Frmywyxs";
    }
    return "";
}

// What the operator chose: the filter list's value ("全部" for all), or for the price range the lowest
// and highest land price as typed, and the period.
struct SalesListChoice {
    QString filter;
    QString lowest;
    QString highest;
    Period period;
};

class SalesLists {
public:
    enum class Filter { Area, Salesman, Price };
    struct Member {
        QString title; // the window's
        Filter filter;
        QString table;
        bool purchasesOnly; // only the 购墓 rows of the fee table
        QString dateColumn;
        QString sumColumn;
        QString templateName;
        QString printTitle; // after "D1到D2"
    };
    static const Member& member(SalesListKind kind);
    static const QString all; // "全部"

    explicit SalesLists(Database& database) : m_database(database) {}

    // "全部", then the areas of the cemetery or the salesmen.
    QStringList filterChoices(SalesListKind kind);
    // The rows listed; none for a price range with neither price given.
    static std::optional<BoundQuery> listing(SalesListKind kind, const SalesListChoice& choice);
    // The print of what `listing` gave for `choice`; it prints for every operator.
    static PrintJob print(SalesListKind kind, const BoundQuery& listed, const SalesListChoice& choice);

    // The two summary labels under the list.
    static QString countLabel(qint64 rows);
    static QString sumLabel(qint64 rows, double sum);

private:
    Database& m_database;
};
