#pragma once

#include "foundation/boundquery.h"
#include "foundation/saveoutcome.h"

#include <QString>

class Clock;
class Database;

// Where memos on a position are kept: the table (with its id) and its columns of the position key, the
// moment the memo was added and the memo text; and the question before a memo is deleted, "%1" its id.
struct MemoTable {
    QString table;
    QString keyColumn;
    QString momentColumn;
    QString textColumn;
    QString deleteQuestion;
};

// Free-text memos on a plot or a niche: listed, added and deleted by id, each in its own transaction.
class MemoBook {
public:
    MemoBook(Database& database, const Clock& clock, MemoTable table);

    // The position's memos for a grid: id, key, moment and text, oldest first.
    BoundQuery memos(const QString& key) const;
    // The trimmed text, "无" when empty, stamped now.
    SaveOutcome add(const QString& key, const QString& text);
    // Asks (caption "删除"), then deletes the memo by its id; one already gone is told.
    SaveOutcome remove(qint64 id, Prompter& prompter);
    const QString& textColumn() const { return m_table.textColumn; }

private:
    Database& m_database;
    const Clock& m_clock;
    MemoTable m_table;
};
