#include "foundation/ui/recordgrid.h"

#include "foundation/columncatalogue.h"
#include "foundation/csvtable.h"
#include "foundation/database.h"
#include "foundation/prompter.h"
#include "foundation/ui/actionguard.h"
#include "foundation/ui/recordmodel.h"
#include "foundation/ui/windowhost.h"
#include "foundation/xlsxsheet.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QSaveFile>
#include <QScrollBar>
#include <QSqlError>
#include <QStandardPaths>
#include <QToolButton>
#include <memory>

namespace {

const QString exportCaption = QStringLiteral("导出");
// Columns are fitted to about a screenful of rows, however many are fetched.
constexpr int fittedRows = 60;
// Shorter exports are over before a progress dialog could be read.
constexpr qint64 progressFromRows = 20000;
constexpr int rowsPerWrite = 1000;

QString titleAround(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget())
        if (!widget->windowTitle().isEmpty())
            return widget->windowTitle();
    return exportCaption;
}

} // namespace

RecordGrid::RecordGrid(QWidget* parent)
    : QTableView(parent), m_export(new QAction(QStringLiteral("导出…"), this)) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A header click sorts by running the query again (the model's sort), not by moving fetched rows.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
    horizontalHeader()->setResizeContentsPrecision(fittedRows);

    m_export->setEnabled(false);
    connect(m_export, &QAction::triggered, this, &RecordGrid::exportAll);
    addAction(m_export);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* button = new QToolButton(this);
    button->setObjectName(QStringLiteral("exportButton"));
    button->setAutoRaise(true);
    button->setDefaultAction(m_export);
    // The button sits beside the horizontal scroll bar, which is therefore always there.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    addScrollBarWidget(button, Qt::AlignRight);
}

void RecordGrid::attach(Database& database, Prompter& prompter) {
    m_prompter = &prompter;
    m_model = new RecordModel(database, prompter, this);
    setModel(m_model);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &RecordGrid::currentRowChanged);
    m_export->setEnabled(true);
}

void RecordGrid::setLeadingColumns(const QStringList& columns) {
    m_leading = columns;
}

void RecordGrid::setHiddenColumns(const QStringList& columns) {
    m_hidden = columns;
}

void RecordGrid::setColumnTwips(const QString& column, int twips) {
    m_twips.insert(column, twips);
}

void RecordGrid::setQuery(const BoundQuery& query) {
    m_model->setQuery(query);
    {
        const QSignalBlocker unsorted(horizontalHeader());
        horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    }
    arrangeColumns();
    Q_EMIT currentRowChanged();
}

void RecordGrid::reread(const QString& keyColumn) {
    const QVariant picked = currentValue(keyColumn);
    const int pickedColumn = currentIndex().column();
    const int scrolled = verticalScrollBar()->value();
    m_model->reread();
    // The picked row may have moved further down than the first page: read on until it shows.
    for (int row = 0; picked.isValid(); ++row) {
        while (row >= m_model->rowCount() && m_model->canFetchMore({}))
            m_model->fetchMore({});
        if (row >= m_model->rowCount())
            break;
        if (m_model->value(row, keyColumn) == picked) {
            setCurrentIndex(m_model->index(row, pickedColumn));
            break;
        }
    }
    verticalScrollBar()->setValue(scrolled);
}

qint64 RecordGrid::count() const {
    return m_model->count();
}

double RecordGrid::sum(const QString& column) const {
    return m_model->sum(column);
}

QVariant RecordGrid::currentValue(const QString& column) const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->value(current.row(), column) : QVariant();
}

QString RecordGrid::selectedText() const {
    QModelIndexList cells = selectedIndexes();
    const QHeaderView* header = horizontalHeader();
    std::sort(cells.begin(), cells.end(), [header](const QModelIndex& a, const QModelIndex& b) {
        return std::pair(a.row(), header->visualIndex(a.column())) <
               std::pair(b.row(), header->visualIndex(b.column()));
    });
    QString text;
    for (qsizetype at = 0; at < cells.size(); ++at) {
        if (at > 0)
            text += cells.at(at).row() == cells.at(at - 1).row() ? QLatin1Char('\t') : QLatin1Char('\n');
        text += cells.at(at).data().toString();
    }
    return text;
}

void RecordGrid::exportAll() {
    const QString suggested = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                  .filePath(titleAround(this)) +
                              QStringLiteral(".csv");
    const QString path = m_prompter->saveFileName(exportCaption, suggested,
                                                  QStringLiteral("CSV 文件 (*.csv);;Excel 工作簿 (*.xlsx)"));
    if (path.isEmpty())
        return;
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive))
        runAction(*m_prompter, [&] { writeXlsx(path); });
    else
        runAction(*m_prompter, [&] { writeCsv(path); });
}

void RecordGrid::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        QGuiApplication::clipboard()->setText(selectedText());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void RecordGrid::arrangeColumns() {
    QHeaderView* header = horizontalHeader();
    const QStringList names = m_model->columnNames();
    int place = 0;
    for (const QString& name : std::as_const(m_leading))
        if (const qsizetype logical = names.indexOf(name); logical >= 0)
            header->moveSection(header->visualIndex(static_cast<int>(logical)), place++);
    for (int column = 0; column < names.size(); ++column) {
        const QString& name = names.at(column);
        setColumnHidden(column, ColumnCatalogue::isHidden(name) || m_hidden.contains(name));
        if (m_twips.contains(name))
            setColumnWidth(column, twipsToPixels(m_twips.value(name)));
        else
            resizeColumnToContents(column);
    }
}

QList<int> RecordGrid::shownColumns() const {
    const QHeaderView* header = horizontalHeader();
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual)
        if (const int logical = header->logicalIndex(visual); !header->isSectionHidden(logical))
            columns << logical;
    return columns;
}

std::unique_ptr<QProgressDialog> RecordGrid::exportProgress(qint64 total) {
    if (total < progressFromRows)
        return nullptr;
    auto progress = std::make_unique<QProgressDialog>(QStringLiteral("正在导出…"), QStringLiteral("取消"), 0,
                                                      static_cast<int>(total), this);
    progress->setWindowTitle(exportCaption);
    progress->setWindowModality(Qt::WindowModal);
    return progress;
}

void RecordGrid::tellExported(qint64 rows, const QString& path) {
    m_prompter->inform(
        Prompter::Icon::Information, exportCaption,
        QStringLiteral("已导出 %1 条记录到 %2。").arg(rows).arg(QDir::toNativeSeparators(path)));
}

void RecordGrid::writeCsv(const QString& path) {
    const QList<int> columns = shownColumns();
    const qint64 total = m_model->count();
    QSqlQuery rows = m_model->run(m_model->shownQuery(), QStringLiteral("导出列表"));
    const std::unique_ptr<QProgressDialog> progress = exportProgress(total);

    QSaveFile file(path);
    const auto cannotWrite = [&] {
        m_prompter->inform(
            Prompter::Icon::Critical, exportCaption,
            QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly)) {
        cannotWrite();
        return;
    }
    // The byte order mark tells a spreadsheet the text is UTF-8.
    file.write(QByteArrayLiteral("\xEF\xBB\xBF"));
    QString lines;
    for (const int column : columns) {
        if (column != columns.first())
            lines += QLatin1Char(',');
        CsvTable::appendField(lines, m_model->columnNames().at(column));
    }
    lines += QStringLiteral("\r\n");
    qint64 written = 0;
    while (rows.next()) {
        for (const int column : columns) {
            if (column != columns.first())
                lines += QLatin1Char(',');
            CsvTable::appendField(lines, m_model->shownText(column, rows.value(column)));
        }
        lines += QStringLiteral("\r\n");
        if (++written % rowsPerWrite == 0) {
            file.write(lines.toUtf8());
            lines.clear();
            if (progress) {
                progress->setValue(static_cast<int>(written));
                if (progress->wasCanceled())
                    return; // the save file is dropped unwritten
            }
        }
    }
    if (rows.lastError().isValid())
        throw DatabaseError(QStringLiteral("数据库错误（导出列表）：%1").arg(rows.lastError().text()));
    file.write(lines.toUtf8());
    if (!file.commit()) {
        cannotWrite();
        return;
    }
    tellExported(written, path);
}

void RecordGrid::writeXlsx(const QString& path) {
    const QList<int> columns = shownColumns();
    const qint64 total = m_model->count();
    if (total > XlsxSheet::maxRows) {
        m_prompter->inform(Prompter::Icon::Exclamation, exportCaption,
                           QStringLiteral("Excel 工作表最多容纳 %1 行，此列表有 %2 行，请导出为 CSV 文件。")
                               .arg(XlsxSheet::maxRows)
                               .arg(total));
        return;
    }
    QStringList headers;
    QList<ColumnCatalogue::Kind> kinds;
    for (const int column : columns) {
        headers << m_model->columnNames().at(column);
        kinds << ColumnCatalogue::kindOf(headers.last());
    }
    QSqlQuery rows = m_model->run(m_model->shownQuery(), QStringLiteral("导出列表"));
    const std::unique_ptr<QProgressDialog> progress = exportProgress(total);
    XlsxSheet sheet(path, titleAround(this), headers, kinds);
    const auto cannotWrite = [&] {
        m_prompter->inform(
            Prompter::Icon::Critical, exportCaption,
            QStringLiteral("无法写入文件 %1：%2").arg(QDir::toNativeSeparators(path), sheet.errorText()));
    };
    qint64 written = 0;
    QVariantList values(columns.size());
    while (rows.next()) {
        for (qsizetype at = 0; at < columns.size(); ++at)
            values[at] = rows.value(columns.at(at));
        if (!sheet.addRow(values)) {
            cannotWrite();
            return;
        }
        if (++written % rowsPerWrite == 0 && progress) {
            progress->setValue(static_cast<int>(written));
            if (progress->wasCanceled())
                return; // the unfinished sheet leaves no file
        }
    }
    if (rows.lastError().isValid())
        throw DatabaseError(QStringLiteral("数据库错误（导出列表）：%1").arg(rows.lastError().text()));
    if (!sheet.finish()) {
        cannotWrite();
        return;
    }
    tellExported(written, path);
}
