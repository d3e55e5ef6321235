#pragma once

#include <QString>

// Plots and niches are tied together across tables by their position key text.
namespace PositionKey {

// "7" -> "0007": the last four characters of "0000" followed by the trimmed number, so numbers
// compare as text within a row or room.
QString fourDigitNumber(const QString& number);
// Area + row + "排" + number + "号"; an area set up without rows leaves out the row part.
QString plot(const QString& area, const QString& row, const QString& number);
// Hall + room + "室" + number + "号".
QString niche(const QString& hall, const QString& room, const QString& number);

} // namespace PositionKey
