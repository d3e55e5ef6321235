#include "foundation/guardedupdate.h"

#include "foundation/columntext.h"
#include "foundation/datetext.h"

namespace {

bool isDate(const QVariant& value) {
    return value.typeId() == QMetaType::QDate;
}

bool isBlank(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return true;
    if (isDate(value))
        return !value.toDate().isValid();
    return !ColumnText::holdsNumber(value) && value.toString().isEmpty();
}

QDate dayOf(const QVariant& value) {
    return isDate(value) ? value.toDate() : DateText::toDate(value.toString());
}

// What goes into the column: a date as its stored text.
QVariant stored(const QVariant& value) {
    return isDate(value) ? QVariant(DateText::fromDate(value.toDate())) : value;
}

} // namespace

GuardedUpdate::GuardedUpdate(Database& database, const QString& table, const QString& where,
                             const QVariantList& whereValues)
    : m_database(database), m_table(table), m_where(where), m_whereValues(whereValues) {}

GuardedUpdate& GuardedUpdate::edit(const QString& column, const QVariant& loaded, const QVariant& value) {
    m_edits.append({column, loaded, value});
    return *this;
}

GuardedUpdate& GuardedUpdate::set(const QString& column, const QVariant& value) {
    m_sets.append({column, value});
    return *this;
}

bool GuardedUpdate::same(const QVariant& a, const QVariant& b) {
    if (isBlank(a) || isBlank(b))
        return isBlank(a) && isBlank(b);
    if (isDate(a) || isDate(b))
        return dayOf(a) == dayOf(b);
    if (ColumnText::holdsNumber(a) || ColumnText::holdsNumber(b)) {
        bool aIsNumber = false;
        bool bIsNumber = false;
        const double x = a.toString().trimmed().toDouble(&aIsNumber);
        const double y = b.toString().trimmed().toDouble(&bIsNumber);
        if (aIsNumber && bIsNumber)
            return x == y;
    }
    return a.toString() == b.toString();
}

QString GuardedUpdate::staleText() {
    return QStringLiteral("此记录已被其他操作员修改，请重新打开后再修改！");
}

bool GuardedUpdate::rowExists(const QString& doing) {
    return m_database
        .scalar(QStringLiteral("SELECT 1 FROM %1 WHERE %2").arg(m_table, m_where), m_whereValues, doing)
        .isValid();
}

GuardedUpdate::Result GuardedUpdate::run(const QString& doing) {
    QList<Database::Column> writes;
    QString where = QLatin1Char('(') + m_where + QLatin1Char(')');
    QVariantList whereValues = m_whereValues;
    for (const Edit& edit : std::as_const(m_edits)) {
        if (same(edit.loaded, edit.value))
            continue;
        writes.append({edit.column, stored(edit.value)});
        // A blank may be NULL or an empty text, in a number column too: compared as text.
        if (isBlank(edit.loaded)) {
            where += QStringLiteral(" AND COALESCE(CAST(%1 AS TEXT), '') = ''").arg(edit.column);
        } else if (isDate(edit.loaded)) {
            where += QStringLiteral(" AND SUBSTR(%1, 1, 10) = ?").arg(edit.column);
            whereValues.append(DateText::fromDate(edit.loaded.toDate()));
        } else if (ColumnText::holdsNumber(edit.loaded)) {
            // An amount the window read from an empty column is 0.
            where += QStringLiteral(" AND COALESCE(%1, 0) = ?").arg(edit.column);
            whereValues.append(edit.loaded);
        } else {
            where += QStringLiteral(" AND %1 = ?").arg(edit.column);
            whereValues.append(edit.loaded);
        }
    }
    if (writes.isEmpty() && m_sets.isEmpty())
        return rowExists(doing) ? Result::NothingChanged : Result::Gone;
    QSqlQuery update = m_database.prepareUpdate(m_table, writes + m_sets, where, whereValues, doing);
    m_database.run(update, doing);
    if (update.numRowsAffected() > 0)
        return Result::Written;
    return rowExists(doing) ? Result::Stale : Result::Gone;
}
