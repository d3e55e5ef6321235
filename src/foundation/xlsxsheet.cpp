#include "foundation/xlsxsheet.h"

#include "foundation/columntext.h"

#include <QFile>
#include <QTemporaryFile>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <xlsxwriter.h>

using ColumnCatalogue::Kind;

namespace {

// Column widths are in characters of the sheet's default font; a Chinese character takes two.
constexpr double narrowest = 6;
constexpr double widest = 60;

double widthOf(const QString& text) {
    double width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x2E80 ? 2 : 1;
    return width;
}

// A shown date (yyyy-MM-dd) as the sheet's date; nullopt for anything else.
std::optional<lxw_datetime> dateOf(const QString& text) {
    if (text.size() != 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return std::nullopt;
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return lxw_datetime{date.year(), date.month(), date.day(), 0, 0, 0};
}

// Integers a sheet holds exactly; longer digit strings become text, never a rounded number.
constexpr double exactLimit = 1e15;

} // namespace

struct XlsxSheet::Workbook {
    QString path;
    QTemporaryFile file;
    lxw_workbook* book = nullptr;
    lxw_worksheet* sheet = nullptr;
    lxw_format* text = nullptr;
    lxw_format* money = nullptr;
    lxw_format* share = nullptr;
    lxw_format* date = nullptr;
    QList<Kind> kinds;
    QList<double> widths;
    lxw_row_t row = 0;
    QString error;

    bool failed(lxw_error result) {
        if (result == LXW_NO_ERROR)
            return false;
        if (error.isEmpty())
            error = QString::fromUtf8(lxw_strerror(result));
        return true;
    }

    bool write(lxw_col_t column, const QString& shown, lxw_format* format) {
        widths[column] = std::max(widths.at(column), widthOf(shown));
        return !failed(worksheet_write_string(sheet, row, column, shown.toUtf8().constData(), format));
    }

    bool writeNumber(lxw_col_t column, double number, const QString& shown, lxw_format* format) {
        widths[column] = std::max(widths.at(column), widthOf(shown));
        return !failed(worksheet_write_number(sheet, row, column, number, format));
    }

    bool cell(lxw_col_t column, const QVariant& value) {
        if (value.isNull())
            return true;
        const Kind kind = kinds.at(column);
        const QString shown = ColumnText::shown(kind, value);
        if (shown.isEmpty())
            return true;
        switch (kind) {
        case Kind::Money:
        case Kind::Share:
        case Kind::Count:
        case Kind::Quantity: {
            bool isNumber = false;
            const double number = value.toDouble(&isNumber);
            if (!isNumber || !std::isfinite(number))
                return write(column, shown, text);
            return writeNumber(column, number, shown,
                               kind == Kind::Money   ? money
                               : kind == Kind::Share ? share
                                                     : nullptr);
        }
        case Kind::Date:
            if (std::optional<lxw_datetime> day = dateOf(shown)) {
                widths[column] = std::max(widths.at(column), widthOf(shown));
                return !failed(worksheet_write_datetime(sheet, row, column, &*day, date));
            }
            return write(column, shown, text);
        case Kind::Plain:
            // A number the engine stored as one (an id, a count) stays a number; whatever was stored as
            // text stays text, leading zeros and all.
            if (ColumnText::holdsNumber(value) && std::abs(value.toDouble()) < exactLimit)
                return writeNumber(column, value.toDouble(), shown, nullptr);
            return write(column, shown, text);
        }
        return write(column, shown, text);
    }
};

XlsxSheet::XlsxSheet(const QString& path, const QString& sheetName, const QStringList& headers,
                     const QList<Kind>& kinds)
    : m_book(std::make_unique<Workbook>()) {
    Workbook& b = *m_book;
    b.path = path;
    b.kinds = kinds;
    b.widths = QList<double>(headers.size(), narrowest);
    // Written beside its place and moved there when finished.
    b.file.setFileTemplate(path + QStringLiteral(".XXXXXX"));
    if (!b.file.open()) {
        b.error = b.file.errorString();
        return;
    }
    b.file.close();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go out as they come: a big list needs no more memory
    options.use_zip64 = LXW_TRUE;
    b.book = workbook_new_opt(QFile::encodeName(b.file.fileName()).constData(), &options);
    if (!b.book) {
        b.error = QStringLiteral("无法创建工作簿");
        return;
    }
    // A sheet's name is at most 31 characters, none of []:*?/\.
    QString name = sheetName;
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    for (QChar& c : name)
        if (forbidden.contains(c))
            c = QLatin1Char('_');
    name = name.left(31);
    b.sheet = workbook_add_worksheet(b.book, name.isEmpty() ? nullptr : name.toUtf8().constData());
    lxw_format* bold = workbook_add_format(b.book);
    format_set_bold(bold);
    b.text = workbook_add_format(b.book);
    format_set_num_format(b.text, "@");
    b.money = workbook_add_format(b.book);
    format_set_num_format(b.money, "0.00");
    b.share = workbook_add_format(b.book);
    format_set_num_format(b.share, "0.00%");
    b.date = workbook_add_format(b.book);
    format_set_num_format(b.date, "yyyy-mm-dd");
    worksheet_freeze_panes(b.sheet, 1, 0);
    for (qsizetype column = 0; column < headers.size(); ++column) {
        const QString& header = headers.at(column);
        b.widths[column] = std::max(b.widths.at(column), widthOf(header) + 1); // bold is wider
        if (b.failed(worksheet_write_string(b.sheet, 0, static_cast<lxw_col_t>(column),
                                            header.toUtf8().constData(), bold)))
            return;
    }
}

XlsxSheet::~XlsxSheet() {
    if (m_book->book)
        workbook_close(m_book->book); // into the temporary file, which goes with it
}

bool XlsxSheet::addRow(const QVariantList& values) {
    Workbook& b = *m_book;
    if (!b.error.isEmpty())
        return false;
    ++b.row;
    for (qsizetype column = 0; column < values.size() && column < b.kinds.size(); ++column)
        if (!b.cell(static_cast<lxw_col_t>(column), values.at(column)))
            return false;
    return true;
}

bool XlsxSheet::finish() {
    Workbook& b = *m_book;
    if (!b.error.isEmpty())
        return false;
    for (qsizetype column = 0; column < b.widths.size(); ++column) {
        const lxw_col_t at = static_cast<lxw_col_t>(column);
        if (b.failed(
                worksheet_set_column(b.sheet, at, at, std::min(b.widths.at(column) + 2, widest), nullptr)))
            return false;
    }
    const lxw_error closed = workbook_close(b.book);
    b.book = nullptr;
    if (b.failed(closed))
        return false;
    // One rename replaces an earlier file of the name whole: it is never gone before the new one is there.
    if (std::rename(QFile::encodeName(b.file.fileName()).constData(),
                    QFile::encodeName(b.path).constData()) != 0) {
        b.error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    b.file.setAutoRemove(false);
    return true;
}

QString XlsxSheet::errorText() const {
    return m_book->error;
}
