#pragma once

#include "foundation/boundquery.h"

#include <QHash>
#include <QTableView>
#include <memory>

class Database;
class Prompter;
class QProgressDialog;
class RecordModel;

// The grid of the office's lists: every column of one query, headed by the column names, values
// shown by the kind of their column, fetched as the operator scrolls. A header click sorts by that
// column, Ctrl+C copies the selected cells, and "导出…" (a button and the context menu) writes the
// whole result to a CSV file or an Excel workbook, as the file's type in the save dialog says. Forms promote
// their QTableView to it and keep its object name.
class RecordGrid : public QTableView {
    Q_OBJECT
public:
    explicit RecordGrid(QWidget* parent = nullptr);

    // Once, before the first query: where queries run and how the operator is spoken to.
    void attach(Database& database, Prompter& prompter);
    // How a window arranges the columns of every query it shows: these first, in this order...
    void setLeadingColumns(const QStringList& columns);
    // ...these not at all (the surrogate key rid never is)...
    void setHiddenColumns(const QStringList& columns);
    // ...and this one as wide as the window fixes it; the others fit the rows in view.
    void setColumnTwips(const QString& column, int twips);

    // Shows `query`, unsorted. Throws DatabaseError.
    void setQuery(const BoundQuery& query);
    // Reads the query shown again, in the order shown, keeping the row picked (found again by its value
    // in `keyColumn`; none when it is gone) and the place scrolled to. Throws DatabaseError.
    void reread(const QString& keyColumn);
    // Every row of the query and a column's total, rounded to cents, counted by SQL. Throw DatabaseError.
    qint64 count() const;
    double sum(const QString& column) const;
    // The stored value of the current row in `column`; invalid when no row is current.
    QVariant currentValue(const QString& column) const;

    // The selected cells as shown, a line per row, the cells of a line separated by tabs.
    QString selectedText() const;
    // Asks for a file name and writes every row of the query, in the order shown, to it.
    void exportAll();

Q_SIGNALS:
    void currentRowChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void arrangeColumns();
    QList<int> shownColumns() const;
    // Write the file and tell the operator how it went; a cancelled export leaves no file.
    void writeCsv(const QString& path);
    void writeXlsx(const QString& path);
    // A progress dialog for exports long enough to need one, else none.
    std::unique_ptr<QProgressDialog> exportProgress(qint64 total);
    void tellExported(qint64 rows, const QString& path);

    QAction* m_export;
    RecordModel* m_model = nullptr;
    Prompter* m_prompter = nullptr;
    QStringList m_leading;
    QStringList m_hidden;
    QHash<QString, int> m_twips;
};
