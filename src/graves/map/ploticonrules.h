#pragma once

#include <QString>

// Which of the 24 map pictures a plot gets, and whether it can be picked. The plot maps, the
// purchased and reserved maps and the sales restriction window all draw plots by these rules.
namespace PlotIconRules {

constexpr int pictureCount = 24;

// Tag of a pickable free plot and of a reserved plot; every other plot has none (0).
constexpr int freeTag = 1;
constexpr int reservedTag = 2;

// What the purchase register says about the people of one plot.
struct Occupancy {
    int registerRows = 0; // gm_dj rows of the plot
    QString firstSex;     // 性别 of its first row; empty when nobody is registered as buried
};

struct Icon {
    int picture = 0; // 1..24; 0: the plot gets no icon
    int tag = 0;
};

// An advance-bought plot (寿穴) is drawn as such whatever its state; otherwise the state decides.
// Artistic graves, restricted plots, marker rows and unknown values get no icon.
Icon iconFor(const QString& style, const QString& state, bool advanceBought, const Occupancy& occupancy);

} // namespace PlotIconRules
