#pragma once

#include "printer/reportquery.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTextOption>
#include <memory>

class Database;
class QPagedPaintDevice;
class QTextDocument;
class TemplateLibrary;
struct PrintRequest;

// One document of pelu-print: its template filled with the rows of its query.
//
// Two marks in a template shape the page:
//   <meta name="orientation" content="landscape">   prints the page in landscape
//   <meta name="tabs" content="15 48 r90 ...">       tab stops in millimetres from the left edge of the text,
//                                                   "r" for a column whose text ends at the stop (amounts).
// Long lists write each row as one paragraph with its values separated by tabs, because a table of ten
// thousand rows takes the text layout minutes where tab-aligned lines take about a second.
struct Printout {
    QString templateName;
    QString title; // the heading, else the template name: the PDF's title
    QString html;
    bool landscape = false;
    QList<QTextOption::Tab> tabStops; // positions in millimetres

    // Runs the request's query on `database` within `limits` and fills its template. Throws PrintError.
    static Printout prepare(Database& database, const TemplateLibrary& library, const PrintRequest& request,
                            const QDate& today, const ReportQuery::Limits& limits = {});

    // The document in the office's CJK font, so Chinese text never prints as boxes. With a device, it is
    // laid out in that device's pages and resolution, leaving room for the page numbers.
    std::unique_ptr<QTextDocument> layOut(QPagedPaintDevice* device = nullptr) const;

    // Sets A4 in the document's orientation on `device`, lays the document out and paints every page,
    // numbering the pages of a document longer than one. Throws PrintError when the device refuses.
    void paint(QPagedPaintDevice& device) const;

    // Writes the PDF into `folder`, named yyyyMMdd-HHmmss-TEMPLATE.pdf after `now`, with -2, -3 ... added
    // when that name is taken: every printed document stays archived. Returns the file's path.
    // Throws PrintError when the file cannot be written.
    QString archivePdf(const QString& folder, const QDateTime& now) const;
};
