#include "shared/positionkey.h"

namespace PositionKey {

QString fourDigitNumber(const QString& number) {
    return QString(QStringLiteral("0000") + number.trimmed()).right(4);
}

QString plot(const QString& area, const QString& row, const QString& number) {
    const QString rowPart = row.isEmpty() ? QString() : row + QStringLiteral("排");
    return area + rowPart + fourDigitNumber(number) + QStringLiteral("号");
}

QString niche(const QString& hall, const QString& room, const QString& number) {
    return hall + room + QStringLiteral("室") + fourDigitNumber(number) + QStringLiteral("号");
}

} // namespace PositionKey
