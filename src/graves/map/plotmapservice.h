#pragma once

#include "foundation/printbridge.h"
#include "foundation/session.h"
#include "graves/map/ploticonrules.h"

#include <QList>
#include <QStringList>
#include <optional>

class Database;

// What the map shows: one area, narrowed to one row, or to one style (within the chosen row, if any).
struct MapFilter {
    QString area;
    QString row;   // empty: every row
    QString style; // empty: every style
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
    QString statusLine; // empty when the choice holds no plot
};

// The queries of the plot map: areas and rows, the plots of a choice with their icons and counts,
// the number search, the pick and the reserved-plot list. It writes nothing.
class PlotMapService {
public:
    explicit PlotMapService(Database& database);

    QStringList areas();
    // The area's rows in text order (row 10 before row 2); none for an area set up without rows.
    QStringList rows(const QString& area);

    // The plots of the choice in row and number order, each with its icon, and the status line.
    MapView view(const MapFilter& filter);
    // The plot with the typed number, exactly as typed: in an area with rows any plot of the chosen
    // row, in an area without rows only a free one.
    QList<MapPlot> findNumber(const QString& area, const QString& row, bool areaHasRows,
                              const QString& number);
    // Re-reads a picked plot for the windows that go on with it; nothing when it is gone.
    std::optional<ChosenPlot> choose(const QString& key);

    static MapCounts count(const QList<MapPlot>& plots);
    static QString statusLine(const MapFilter& filter, const MapCounts& counts);
    // The reserved plots of the choice, printed as "已预订的墓位列表".
    static PrintJob reservedList(const MapFilter& filter);

private:
    QList<MapPlot> read(const QString& condition, const QVariantList& values);

    Database& m_database;
};
