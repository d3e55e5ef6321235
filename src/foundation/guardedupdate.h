#pragma once

#include "foundation/database.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

// The save of an edit window: one row changed only where the operator changed what the window loaded,
// and only while the row still holds what the window loaded there, so that a colleague's change made
// since the window opened is never written over. The check is in the UPDATE itself; it runs inside
// the caller's transaction.
//
// Values are compared as the office sees them: NULL and an empty text are the same blank (a server reads
// an empty number as a typed NULL); a number equals its text ("7" and 7.0); a QDate is stored as its text
// and compared by its day, so a stored moment still holds the date shown.
class GuardedUpdate {
public:
    enum class Result {
        Written,        // every changed column written
        NothingChanged, // the operator changed nothing; the row is still there
        Stale,          // a changed column no longer holds what the window loaded: nothing written
        Gone,           // the row is no longer there
    };

    // The row `where` names with its `whereValues` (one row, by its key or place).
    GuardedUpdate(Database& database, const QString& table, const QString& where,
                  const QVariantList& whereValues);

    // A value the window loaded (`loaded`, as it was read) and what is to be stored now.
    GuardedUpdate& edit(const QString& column, const QVariant& loaded, const QVariant& value);
    // Written unguarded with every save: what the window did not load (the entry it adds to the row, the
    // operator and the moment). A save with such a column always writes the row.
    GuardedUpdate& set(const QString& column, const QVariant& value);

    Result run(const QString& doing);

    // Whether two values are the same to the office, as run() compares them.
    static bool same(const QVariant& a, const QVariant& b);
    // The refusal of a Stale save.
    static QString staleText();

private:
    struct Edit {
        QString column;
        QVariant loaded;
        QVariant value;
    };
    bool rowExists(const QString& doing);

    Database& m_database;
    QString m_table;
    QString m_where;
    QVariantList m_whereValues;
    QList<Edit> m_edits;
    QList<Database::Column> m_sets;
};
