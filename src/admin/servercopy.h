#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class Database;

// Moves a one-desk office onto the server several desks share: the schema, every table with its keys
// and the change history as it was, in one transaction that commits only when both sides agree.
class ServerCopy {
public:
    // `source` is the office's file; `server` a database without tables, opened as Database::Mode::Empty.
    ServerCopy(Database& source, Database& server);

    // Creates the schema on the server and copies every row of every table, keys included (the
    // server's generated columns compute themselves, and its history records nothing of the copy);
    // the server then numbers new rows after the copied ones. Before committing, the rows and the sum of
    // every number column of every table are compared on both sides. Throws DatabaseError naming the
    // table at any failure or difference; the server is then left as empty as it was.
    void run();
    // What was copied and checked: a line a table and the total.
    QStringList report() const;

private:
    struct Table {
        QString name;
        qint64 rows = 0;
    };
    // Copies one table and returns its count of rows.
    qint64 copyTable(const QString& table);

    Database& m_source;
    Database& m_server;
    QList<Table> m_copied;
};
