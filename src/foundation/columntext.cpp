#include "foundation/columntext.h"

#include "foundation/datetext.h"
#include "foundation/money.h"

#include <cmath>

using ColumnCatalogue::Kind;

namespace {

// Stored dates and moments (yyyy-MM-dd, yyyy-MM-dd HH:mm:ss) are shown by their first ten characters,
// without parsing: an export of a few hundred thousand rows would spend most of its time there.
bool isStoredDate(const QString& text) {
    if (text.size() != 10 && (text.size() != 19 || text.at(10) != QLatin1Char(' ')))
        return false;
    for (int at = 0; at < 10; ++at)
        if (at == 4 || at == 7 ? text.at(at) != QLatin1Char('-') : !text.at(at).isDigit())
            return false;
    return true;
}

} // namespace

namespace ColumnText {

QString plain(const QVariant& value) {
    return value.isNull() ? QString() : value.toString();
}

QString shown(Kind kind, const QVariant& value) {
    if (value.isNull())
        return QString();
    if (kind == Kind::Money || kind == Kind::Share) {
        // Also a number SQLite hands back as text, as typed into a text column.
        bool isNumber = false;
        const double number = value.toDouble(&isNumber);
        if (isNumber && std::isfinite(number))
            return kind == Kind::Money ? Money::formatTwoDecimals(number)
                                       : Money::formatTwoDecimals(number * 100) + QLatin1Char('%');
    } else if (kind == Kind::Date) {
        const QString text = value.toString();
        if (isStoredDate(text))
            return text.left(10);
        if (const QDate date = DateText::toDate(text); date.isValid())
            return DateText::fromDate(date);
    }
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    return value.toString();
}

bool holdsNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isNumeric(Kind kind) {
    return kind == Kind::Money || kind == Kind::Count || kind == Kind::Share || kind == Kind::Quantity;
}

} // namespace ColumnText
