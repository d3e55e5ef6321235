#include "graves/map/ploticonrules.h"
#include "graves/plotvocabulary.h"

namespace PlotIconRules {

namespace {

enum class Style { Single, Double, Family, Multi, Artistic, Other };

Style styleOf(const QString& style) {
    if (style == PlotStyle::single)
        return Style::Single;
    if (style == PlotStyle::twin)
        return Style::Double;
    if (style == PlotStyle::family)
        return Style::Family;
    if (style == PlotStyle::multiple)
        return Style::Multi;
    if (style == PlotStyle::artistic)
        return Style::Artistic;
    return Style::Other;
}

// The pictures of sold or advance-bought plots. Single and double graves show who is buried by the
// register: nobody (an empty first 性别), two or more registered, or the one person's sex.
struct RegisteredPictures {
    int singleEmpty, singleOccupied;
    int doubleEmpty, doubleTwo, doubleMan, doubleWoman;
    int family, multi;
};
constexpr RegisteredPictures advanceBoughtPictures = {13, 21, 14, 22, 24, 23, 16, 15};
constexpr RegisteredPictures soldPictures = {6, 17, 5, 20, 18, 19, 8, 7};

int registeredPicture(Style style, const Occupancy& occupancy, const RegisteredPictures& pictures) {
    const bool nobody = occupancy.registerRows == 0 || occupancy.firstSex.isEmpty();
    switch (style) {
    case Style::Single:
        return nobody ? pictures.singleEmpty : pictures.singleOccupied;
    case Style::Double:
        if (nobody)
            return pictures.doubleEmpty;
        if (occupancy.registerRows >= 2)
            return pictures.doubleTwo;
        if (occupancy.firstSex == QStringLiteral("男"))
            return pictures.doubleMan;
        if (occupancy.firstSex == QStringLiteral("女"))
            return pictures.doubleWoman;
        return 0; // any other sex
    case Style::Family:
        return pictures.family;
    case Style::Multi:
        return pictures.multi;
    case Style::Artistic:
    case Style::Other:
        break;
    }
    return 0;
}

} // namespace

Icon iconFor(const QString& style, const QString& state, bool advanceBought, const Occupancy& occupancy) {
    const Style kind = styleOf(style);
    if (advanceBought)
        return {registeredPicture(kind, occupancy, advanceBoughtPictures), 0};
    if (state == PlotState::free) {
        static constexpr int free[] = {1, 2, 3, 4, 0, 0};
        const int picture = free[static_cast<int>(kind)];
        return {picture, picture ? freeTag : 0};
    }
    if (state == PlotState::reserved) {
        static constexpr int reserved[] = {9, 10, 12, 11, 0, 0};
        const int picture = reserved[static_cast<int>(kind)];
        return {picture, picture ? reservedTag : 0};
    }
    if (state == PlotState::sold)
        return {registeredPicture(kind, occupancy, soldPictures), 0};
    return {};
}

Icon reservedIcon(const QString& style, const QString&, bool, const Occupancy&) {
    static constexpr int pictures[] = {1, 2, 3, 4, 5, 0};
    const int picture = pictures[static_cast<int>(styleOf(style))];
    return {picture, picture ? reservedTag : 0};
}

Icon restrictionIcon(const QString& style, const QString& state, bool, const Occupancy&) {
    static constexpr int free[] = {1, 2, 3, 4, 0, 0};
    static constexpr int withheld[] = {13, 14, 16, 15, 0, 0};
    const int kind = static_cast<int>(styleOf(style));
    if (state == PlotState::free)
        return {free[kind], 0};
    if (state == PlotState::restricted)
        return {withheld[kind], 0};
    return {};
}

Icon soldIcon(const QString& style, const QString&, bool advanceBought, const Occupancy& occupancy) {
    const bool registered = occupancy.registerRows > 0;
    const bool nobody = occupancy.firstSex.isEmpty();
    const bool two = occupancy.registerRows >= 2;
    const bool man = occupancy.firstSex == QStringLiteral("男");
    const bool woman = occupancy.firstSex == QStringLiteral("女");
    int picture = 0;
    // The advance-bought double grave asks whether anybody is buried before counting the rows; the
    // other double grave counts the rows first.
    switch (styleOf(style)) {
    case Style::Single:
        picture = advanceBought ? (nobody ? 5 : 12) : (nobody ? 1 : 15);
        break;
    case Style::Double:
        if (advanceBought)
            picture = !registered || nobody ? 6 : two ? 9 : man ? 10 : woman ? 11 : 0;
        else
            picture = two ? 16 : man ? 14 : woman ? 13 : nobody ? 2 : 0;
        break;
    case Style::Family:
        picture = advanceBought ? 8 : 3;
        break;
    case Style::Multi:
        picture = advanceBought ? 7 : 4;
        break;
    case Style::Artistic:
        picture = advanceBought ? 18 : 17;
        break;
    case Style::Other:
        break;
    }
    return {picture, 0};
}

} // namespace PlotIconRules
