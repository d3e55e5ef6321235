#include "ploticonrules.h"

namespace PlotIconRules {

namespace {

enum class Style { Single, Double, Family, Multi, Other };

Style styleOf(const QString& style) {
    if (style == QStringLiteral("单人墓"))
        return Style::Single;
    if (style == QStringLiteral("双人墓"))
        return Style::Double;
    if (style == QStringLiteral("家族墓"))
        return Style::Family;
    if (style == QStringLiteral("多人墓"))
        return Style::Multi;
    return Style::Other;
}

// A double grave's picture by its register: nobody buried, two or more registered, or the one
// person's sex. Any other sex gives no picture.
int doublePicture(const Occupancy& occupancy, int empty, int two, int man, int woman) {
    if (occupancy.registerRows == 0 || occupancy.firstSex.isEmpty())
        return empty;
    if (occupancy.registerRows >= 2)
        return two;
    if (occupancy.firstSex == QStringLiteral("男"))
        return man;
    if (occupancy.firstSex == QStringLiteral("女"))
        return woman;
    return 0;
}

} // namespace

Icon iconFor(const QString& style, const QString& state, bool advanceBought, const Occupancy& occupancy) {
    const Style kind = styleOf(style);
    if (advanceBought) {
        switch (kind) {
        case Style::Single:
            return {occupancy.firstSex.isEmpty() ? 13 : 21, 0};
        case Style::Double:
            return {doublePicture(occupancy, 14, 22, 24, 23), 0};
        case Style::Family:
            return {16, 0};
        case Style::Multi:
            return {15, 0};
        case Style::Other:
            return {};
        }
    }
    if (state == QStringLiteral("未使用")) {
        static constexpr int free[] = {1, 2, 3, 4, 0};
        const int picture = free[static_cast<int>(kind)];
        return {picture, picture ? freeTag : 0};
    }
    if (state == QStringLiteral("已预订")) {
        static constexpr int reserved[] = {9, 10, 12, 11, 0};
        const int picture = reserved[static_cast<int>(kind)];
        return {picture, picture ? reservedTag : 0};
    }
    if (state == QStringLiteral("已购")) {
        switch (kind) {
        case Style::Single:
            return {occupancy.firstSex.isEmpty() ? 6 : 17, 0};
        case Style::Double:
            return {doublePicture(occupancy, 5, 20, 18, 19), 0};
        case Style::Family:
            return {8, 0};
        case Style::Multi:
            return {7, 0};
        case Style::Other:
            return {};
        }
    }
    return {};
}

} // namespace PlotIconRules
