#pragma once

#include "foundation/printbridge.h"
#include "graves/map/ploticonrules.h"
#include "shared/session.h"

#include <QList>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>

class Database;

// What a map shows: one area, narrowed to one row or one style (within the chosen row, if any), or
// one number or a range of numbers of the chosen row.
struct MapFilter {
    MapFilter(QString area_ = {}, QString row_ = {}, QString style_ = {})
        : area(std::move(area_)), row(std::move(row_)), style(std::move(style_)) {}

    QString area;
    QString row;          // empty: every row
    QString style;        // empty: every style
    QString number;       // a number search: the number, or the first of a range
    QString last;         // the last number of a range
    bool rowless = false; // the area was set up without rows; only the number search heeds it

    bool searchesNumber() const { return !number.isEmpty() || !last.isEmpty(); }
};

// One plot as the map reads it.
struct MapPlot {
    int position = 0; // 1-based place among the plots read; the icon's key is "K" + position
    QString key;      // 墓碑位置, also the icon's caption
    QString area;     // 墓区, the first part of the key
    QString state;
    bool advanceBought = false;
    PlotIconRules::Icon icon;
};

struct MapCounts {
    int total = 0;
    int restricted = 0;
    int free = 0;
    int reserved = 0;
    int advanceBought = 0;
};

struct MapView {
    QList<MapPlot> plots; // every plot read, those without an icon included
    MapCounts counts;
    QString statusLine; // empty when the use shows none for the choice
};

// A map's list of plots printed as template "wz": the plots of one state, under a title.
struct MapListPrint {
    QString state;
    QString title;
};

// One use of the plot map: which plots it lists, how it draws, counts and searches them and what
// it prints. The sale map, the reserved-plot map and the sales restriction window are uses; the
// sold-plot map of the burials is one more (its rule reads the occupancy the map already reads in
// its one query).
struct MapUse {
    std::optional<QString> listedState; // only plots in this state; none: every plot
    PlotIconRules::Rule icon = nullptr;
    bool readsOccupancy = false; // the rule looks at who is buried in the plot
    std::function<QString(const MapFilter&, const MapCounts&)> countLine;
    // The number search in an area without rows finds only plots of this state; without one it
    // finds nothing, as it searches the chosen row.
    std::optional<QString> rowlessNumberState;
    bool zeroFillsNumbers = false; // "7" searches "0007"; otherwise the number is taken as typed
    // The advance-bought count of a choice takes the plots of every state, counted by one more query.
    bool countsAdvanceBoughtInAnyState = false;
    std::optional<MapListPrint> list;
};

namespace MapUses {

// Frm_gm: every plot by style, state and occupancy, with the area's counts; prints its reserved plots.
MapUse sale();
// Frm_ydwh: the reserved plots by style.
MapUse reserved();
// Frm_gmcontrol: free and withheld plots, with the counts of both.
MapUse restriction();
// Frm_xzlz: the sold plots by who is buried in them, with the advance-bought plots of the choice.
MapUse sold();

} // namespace MapUses

// The queries of a plot map: areas and rows, the plots of a choice with their icons and counts,
// the printed list, the picked plot or reservation. It writes nothing.
class PlotMapService {
public:
    explicit PlotMapService(Database& database, MapUse use = MapUses::sale());

    // A filter's condition on mq_wz with its bound values, marker rows left out. None when the
    // filter can hold no plot.
    struct Condition {
        QString sql;
        QVariantList values;
    };
    static std::optional<Condition> condition(const MapUse& use, const MapFilter& filter);
    // The same with `state` in place of the use's listed state (none: every state).
    static std::optional<Condition> condition(const MapUse& use, const MapFilter& filter,
                                              const std::optional<QString>& state);

    const MapUse& use() const { return m_use; }
    QStringList areas();
    // The area's rows in text order (row 10 before row 2); none for an area set up without rows.
    QStringList rows(const QString& area);

    // The plots of the filter in row and number order, each with its icon, the counts and the
    // status line.
    MapView view(const MapFilter& filter);
    // Re-reads a picked plot for the windows that go on with it; nothing when it is gone.
    std::optional<ChosenPlot> choose(const QString& key);
    // The first reservation of a picked plot; nothing when the plot has none.
    std::optional<ChosenReservation> reservationOf(const QString& key);
    // The picked plot as its purchase register knows it; nothing when the plot has no register row.
    std::optional<ChosenPurchase> purchaseOf(const QString& key);

    static MapCounts count(const QList<MapPlot>& plots);
    // The use's list of the filter, as complete SQL text for the printing program.
    static PrintJob listJob(const MapUse& use, const MapFilter& filter);

private:
    Database& m_database;
    MapUse m_use;
};
