#pragma once

#include "foundation/saveoutcome.h"

#include <QStringList>

class Database;
class Prompter;

// A list of names the registration windows offer: the relationships (gx) or the tombstone types
// (the mblx column of mblx, whose rows may also carry the two stone materials).
class ReferenceList {
public:
    static ReferenceList relationships(Database& database, Prompter& prompter);
    static ReferenceList tombstoneTypes(Database& database, Prompter& prompter);

    QStringList entries();
    // Adds the trimmed entry unless it is empty or already listed.
    SaveOutcome add(const QString& entry);
    // Removes the listed name `listText` after a Yes; a text not in the list is refused.
    SaveOutcome remove(const QString& listText);

private:
    ReferenceList(Database& database, Prompter& prompter, const QString& table, const QString& column);
    int rowsNaming(const QString& name);

    Database& m_database;
    Prompter& m_prompter;
    QString m_table;
    QString m_column;
};
