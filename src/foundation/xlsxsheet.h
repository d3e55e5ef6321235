#pragma once

#include "foundation/columncatalogue.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <memory>

// A workbook of one sheet, written a row at a time as a spreadsheet will read it back: text columns
// as text cells (an ID number or a "0001" stays whole), money as numbers with two decimals, shares as
// percentages, dates as dates. The header row is bold and stays in view; every column is as wide as its
// widest value. The file appears only when finished: an abandoned sheet leaves nothing behind.
class XlsxSheet {
public:
    // The most rows a sheet holds under its header.
    static constexpr qint64 maxRows = 1048575;

    XlsxSheet(const QString& path, const QString& sheetName, const QStringList& headers,
              const QList<ColumnCatalogue::Kind>& kinds);
    ~XlsxSheet();
    XlsxSheet(const XlsxSheet&) = delete;
    XlsxSheet& operator=(const XlsxSheet&) = delete;

    // Stored values of one row, a value for every header. False, with errorText(), once the file fails.
    bool addRow(const QVariantList& values);
    // Writes the file in its place. False, with errorText(), when it cannot.
    bool finish();
    QString errorText() const;

private:
    struct Workbook;
    std::unique_ptr<Workbook> m_book;
};
