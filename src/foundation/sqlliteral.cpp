#include "sqlliteral.h"

#include <QDate>
#include <cmath>

#include "datetext.h"

namespace SqlLiteral {

QString text(const QString& value) {
    return QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString number(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("NULL");
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(value));
    QString plain = QString::number(value, 'f', 10);
    while (plain.endsWith(QLatin1Char('0')))
        plain.chop(1);
    if (plain.endsWith(QLatin1Char('.')))
        plain.chop(1);
    return plain == QLatin1String("-0") ? QStringLiteral("0") : plain;
}

QString of(const QVariant& value) {
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Bool:
        // Flags are stored as 1 and 0; the text 'true' would match no row.
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return number(value.toDouble());
    case QMetaType::QDate:
        return text(DateText::fromDate(value.toDate()));
    case QMetaType::QDateTime:
        return text(DateText::fromDateTime(value.toDateTime()));
    default:
        return text(value.toString());
    }
}

} // namespace SqlLiteral
