#pragma once

#include <QDate>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// One row of a result, read by its columns' names. A name the row lacks is an error, not an empty value,
// so that a misspelt column cannot read as a blank field. Texts follow the stored value: NULL is empty, and
// a server's empty number column stays empty rather than turning into "0".
class StoredRow {
public:
    explicit StoredRow(QSqlRecord record) : m_record(std::move(record)) {}

    // Throw DatabaseError when the row has no such column.
    QVariant value(const QString& column) const;
    QString text(const QString& column) const;
    double number(const QString& column) const;
    qint64 whole(const QString& column) const;
    // A stored yyyy-MM-dd (or a moment, of which the date); invalid when empty.
    QDate date(const QString& column) const;
    bool isNull(const QString& column) const { return value(column).isNull(); }

private:
    QSqlRecord m_record;
};
