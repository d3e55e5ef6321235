#include "foundation/sqlliteral.h"

#include <cmath>

namespace SqlLiteral {

QString text(const QString& value) {
    return QLatin1Char('\'') + QString(value).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

QString name(const QString& value) {
    return QLatin1Char('"') + QString(value).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
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

QString inlined(const BoundQuery& query) {
    QString sql;
    qsizetype value = 0;
    for (const QChar c : query.sql) {
        if (c != QLatin1Char('?')) {
            sql += c;
            continue;
        }
        const QVariant& bound = query.values.at(value++);
        sql += bound.typeId() == QMetaType::QString ? text(bound.toString()) : number(bound.toDouble());
    }
    return sql;
}

} // namespace SqlLiteral
