#include "foundation/ui/recordmodel.h"

#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/ui/actionguard.h"

#include <QSqlError>
#include <QSqlRecord>

namespace {

const QString reading = QStringLiteral("读取列表");

// The whole of `query` as a table to select from: standard SQL wants the name.
QString from(const BoundQuery& query, const QString& name) {
    return QStringLiteral(" FROM (") + query.sql + QStringLiteral(") AS ") + name;
}

} // namespace

RecordModel::RecordModel(Database& database, Prompter& prompter, QObject* parent)
    : QAbstractTableModel(parent), m_database(database), m_prompter(prompter) {}

void RecordModel::setQuery(const BoundQuery& query) {
    QSqlQuery opened = run(query, reading);
    const QSqlRecord record = opened.record();
    const Page page = readPage(opened, record.count());
    m_more = false;
    beginResetModel();
    m_query = query;
    m_sortColumn = -1;
    m_columns.clear();
    m_kinds.clear();
    for (int column = 0; column < record.count(); ++column) {
        m_columns << record.fieldName(column);
        m_kinds << ColumnCatalogue::kindOf(m_columns.last());
    }
    m_values.clear();
    m_rows = 0;
    m_reading = std::move(opened);
    endResetModel();
    append(page);
}

BoundQuery RecordModel::shownQuery() const {
    return ordered(m_sortColumn, m_sortOrder);
}

QSqlQuery RecordModel::run(const BoundQuery& query, const QString& doing) const {
    QSqlQuery opened = m_database.prepare(query.sql, doing);
    opened.setForwardOnly(true);
    for (const QVariant& value : query.values)
        opened.addBindValue(value);
    m_database.run(opened, doing);
    return opened;
}

QVariant RecordModel::value(int row, const QString& column) const {
    const qsizetype at = m_columns.indexOf(column);
    if (at < 0 || row < 0 || row >= m_rows)
        return QVariant();
    return m_values.at(row * m_columns.size() + at);
}

QString RecordModel::shownText(int column, const QVariant& value) const {
    return ColumnText::shown(m_kinds.at(column), value);
}

qint64 RecordModel::count() const {
    return m_database
        .scalar(QStringLiteral("SELECT COUNT(*)") + from(m_query, QStringLiteral("counted")), m_query.values,
                QStringLiteral("统计列表"))
        .toLongLong();
}

double RecordModel::sum(const QString& column) const {
    const QString quoted = QLatin1Char('"') +
                           QString(column).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                           QLatin1Char('"');
    const QVariant total = m_database.scalar(QStringLiteral("SELECT SUM(%1)").arg(quoted) +
                                                 from(m_query, QStringLiteral("summed")),
                                             m_query.values, QStringLiteral("统计列表"));
    return Money::roundCents(total.toDouble());
}

int RecordModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int RecordModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant RecordModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    const ColumnCatalogue::Kind kind = m_kinds.at(index.column());
    if (role == Qt::DisplayRole)
        return ColumnText::shown(kind, m_values.at(index.row() * m_columns.size() + index.column()));
    if (role == Qt::TextAlignmentRole && ColumnText::isNumeric(kind))
        return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
    return QVariant();
}

QVariant RecordModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size())
        return m_columns.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool RecordModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && m_more;
}

void RecordModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent))
        return;
    m_more = false; // nor is a read that failed tried again
    runAction(m_prompter, [this] { append(readPage(m_reading, static_cast<int>(m_columns.size()))); });
}

void RecordModel::sort(int column, Qt::SortOrder order) {
    if (m_columns.isEmpty() || column >= m_columns.size())
        return;
    runAction(m_prompter, [&] { readOrdered(column, order); });
}

void RecordModel::reread() {
    if (!m_columns.isEmpty())
        readOrdered(m_sortColumn, m_sortOrder);
}

void RecordModel::readOrdered(int column, Qt::SortOrder order) {
    QSqlQuery opened = run(ordered(column, order), reading);
    const Page page = readPage(opened, static_cast<int>(m_columns.size()));
    m_sortColumn = column;
    m_sortOrder = order;
    m_more = false;
    // The columns stay: rows go and come rather than a reset, so widths and hidden columns survive.
    if (m_rows > 0) {
        beginRemoveRows(QModelIndex(), 0, m_rows - 1);
        m_values.clear();
        m_rows = 0;
        endRemoveRows();
    }
    m_reading = std::move(opened);
    append(page);
}

BoundQuery RecordModel::ordered(int column, Qt::SortOrder order) const {
    if (column < 0)
        return m_query;
    // By position: a column name may be one SQL cannot name unquoted, or appear twice.
    return {QStringLiteral("SELECT *") + from(m_query, QStringLiteral("shown")) +
                QStringLiteral(" ORDER BY %1 %2")
                    .arg(column + 1)
                    .arg(order == Qt::AscendingOrder ? QStringLiteral("ASC") : QStringLiteral("DESC")),
            m_query.values};
}

RecordModel::Page RecordModel::readPage(QSqlQuery& query, int columns) {
    Page page;
    page.values.reserve(pageRows * columns);
    while (page.rows < pageRows && query.next()) {
        for (int column = 0; column < columns; ++column)
            page.values << query.value(column);
        ++page.rows;
    }
    page.last = page.rows < pageRows;
    if (page.last && query.lastError().isValid())
        throw DatabaseError(QStringLiteral("数据库错误（%1）：%2").arg(reading, query.lastError().text()));
    return page;
}

void RecordModel::append(const Page& page) {
    if (page.last)
        m_reading = QSqlQuery(); // lets go of the database
    if (page.rows > 0) {
        beginInsertRows(QModelIndex(), m_rows, m_rows + page.rows - 1);
        m_values += page.values;
        m_rows += page.rows;
        endInsertRows();
    }
    // Only now: whoever hears of the rows may ask for more.
    m_more = !page.last;
}
