#include "foundation/storedrow.h"

#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/datetext.h"

QVariant StoredRow::value(const QString& column) const {
    const int at = m_record.indexOf(column);
    if (at < 0)
        throw DatabaseError(QStringLiteral("读取的记录中没有“%1”一栏。").arg(column));
    return m_record.value(at);
}

QString StoredRow::text(const QString& column) const {
    return ColumnText::plain(value(column));
}

double StoredRow::number(const QString& column) const {
    return value(column).toDouble();
}

qint64 StoredRow::whole(const QString& column) const {
    return value(column).toLongLong();
}

QDate StoredRow::date(const QString& column) const {
    return DateText::toDate(text(column));
}
