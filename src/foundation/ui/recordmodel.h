#pragma once

#include "foundation/boundquery.h"
#include "foundation/columncatalogue.h"

#include <QAbstractTableModel>
#include <QSqlQuery>

class Database;
class Prompter;

// Every column of one query, read-only, fetched a page at a time as the view scrolls, so that a
// table of hundreds of thousands of rows opens at once. Sorting runs the query again in the new
// order; counts and sums come from SQL, never from the rows fetched so far.
class RecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int pageRows = 256;

    // Failures while the view fetches or sorts are told through `prompter`.
    RecordModel(Database& database, Prompter& prompter, QObject* parent = nullptr);

    // Runs `query` and shows its first page, unsorted. Throws DatabaseError, leaving the model as it was.
    void setQuery(const BoundQuery& query);
    // The query in the order shown.
    BoundQuery shownQuery() const;
    // Runs `query` reading forward only: the way to go through a whole result once.
    QSqlQuery run(const BoundQuery& query, const QString& doing) const;

    QStringList columnNames() const { return m_columns; }
    // The stored value of a fetched row; an invalid QVariant for a column the query does not have.
    QVariant value(int row, const QString& column) const;
    QString shownText(int column, const QVariant& value) const;
    // All rows of the query, and the total of a column rounded to cents (0 with no rows). Throw
    // DatabaseError.
    qint64 count() const;
    double sum(const QString& column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // Column -1 is the query's own order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    // Runs the query again in the order shown: what others changed since shows. Throws DatabaseError,
    // leaving the rows as they were.
    void reread();

private:
    void readOrdered(int column, Qt::SortOrder order);
    struct Page {
        QVariantList values;
        int rows = 0;
        bool last = false; // the query has no more rows
    };
    // Reads up to a page of rows of an open query. Throws DatabaseError.
    static Page readPage(QSqlQuery& query, int columns);
    // Appends `page`, keeping the query open only while rows remain.
    void append(const Page& page);
    BoundQuery ordered(int column, Qt::SortOrder order) const;

    Database& m_database;
    Prompter& m_prompter;
    BoundQuery m_query;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QSqlQuery m_reading; // open while rows remain to be fetched
    bool m_more = false;
    QStringList m_columns;
    QList<ColumnCatalogue::Kind> m_kinds;
    QVariantList m_values; // the fetched rows, one after the other
    int m_rows = 0;
};
