#pragma once

#include <QString>

// Which picture a plot gets on a map, and whether it can be picked. Each map has a picture set of
// its own and a rule that numbers its pictures: the sale map 1..24, the reserved-plot map 1..5, the
// sales restriction window 1..4 and 13..16, the sold-plot map 1..18.
namespace PlotIconRules {

constexpr int pictureCount = 24;
constexpr int reservedPictureCount = 5;
constexpr int soldPictureCount = 18;

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
// The reserved-plot map draws by style alone, artistic graves included.
Icon reservedIcon(const QString& style, const QString& state, bool advanceBought, const Occupancy& occupancy);
// The sales restriction window draws only free (1..4) and withheld (13..16) plots of the four styles.
Icon restrictionIcon(const QString& style, const QString& state, bool advanceBought,
                     const Occupancy& occupancy);

// The sold-plot map draws every sold plot, artistic graves included, advance-bought or not, by
// who the register says is buried in it.
Icon soldIcon(const QString& style, const QString& state, bool advanceBought, const Occupancy& occupancy);

// The rule a map draws by; all three above have this shape.
using Rule = Icon (*)(const QString& style, const QString& state, bool advanceBought,
                      const Occupancy& occupancy);

} // namespace PlotIconRules
