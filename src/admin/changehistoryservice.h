#pragma once

#include "foundation/boundquery.h"

#include <QDate>
#include <QStringList>

class Database;

// What the operator narrowed the change history to; an empty text does not narrow.
struct ChangeHistoryFilter {
    QDate from;
    QDate to; // the whole of this day included
    QString operatorName;
    QString table;
    QString key; // a plot's or niche's position key, exactly
};

// Reads the change history the database records of every write; nothing here writes.
class ChangeHistoryService {
public:
    explicit ChangeHistoryService(Database& database) : m_database(database) {}

    // The operators and tables that appear in the history, for the filter lists.
    QStringList operators();
    QStringList tables();
    // The recorded changes that pass `filter`, the latest first.
    static BoundQuery query(const ChangeHistoryFilter& filter);

private:
    Database& m_database;
};
