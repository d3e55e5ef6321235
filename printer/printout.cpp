#include "printer/printout.h"

#include "foundation/database.h"
#include "printer/printerror.h"
#include "printer/printtail.h"
#include "printer/printvalues.h"
#include "printer/reportquery.h"
#include "printer/templatelibrary.h"
#include "shared/unitinfo.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QString officeFont = QStringLiteral("WenQuanYi Micro Hei");
constexpr qreal marginMillimetres = 10;
constexpr qreal footerMillimetres = 8; // below the text, for "第 1 页，共 3 页"
constexpr qreal millimetresPerInch = 25.4;

// The content of <meta name="NAME" content="...">, or a null string.
QString metaContent(const QString& html, const QString& name) {
    const QRegularExpression meta(
        QStringLiteral(R"re(<meta\s+name\s*=\s*"%1"\s+content\s*=\s*"([^"]*)")re").arg(name));
    const auto match = meta.match(html);
    return match.hasMatch() ? match.captured(1) : QString();
}

QList<QTextOption::Tab> tabStopsOf(const QString& html) {
    QList<QTextOption::Tab> stops;
    for (QString stop :
         metaContent(html, QStringLiteral("tabs")).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const bool right = stop.startsWith(QLatin1Char('r'));
        if (right)
            stop.remove(0, 1);
        bool ok = false;
        const qreal position = stop.toDouble(&ok);
        if (ok)
            stops << QTextOption::Tab(position, right ? QTextOption::RightTab : QTextOption::LeftTab);
    }
    return stops;
}

// Gives every line that holds a tab the template's tab stops. Tab positions are in the layout's
// logical pixels (96 to the inch), which it scales to the device itself.
void applyTabStops(QTextDocument& document, const QList<QTextOption::Tab>& stops) {
    constexpr qreal dotsPerInch = 96;
    if (stops.isEmpty())
        return;
    QList<QTextOption::Tab> inPixels;
    for (const QTextOption::Tab& stop : stops)
        inPixels << QTextOption::Tab(stop.position * dotsPerInch / millimetresPerInch, stop.type);
    QTextBlockFormat format;
    format.setTabPositions(inPixels);
    // One edit block, so the layout runs once afterwards instead of once per line.
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text().contains(QLatin1Char('\t'))) {
            cursor.setPosition(block.position());
            cursor.mergeBlockFormat(format);
        }
    }
    cursor.endEditBlock();
}

} // namespace

Printout Printout::prepare(Database& database, const TemplateLibrary& library, const PrintRequest& request,
                           const QDate& today, const ReportQuery::Limits& limits) {
    const QString unit = UnitInfo::load(database).unitName;
    ReportQuery query(database, request.query, limits);
    const kainjow::mustache::data values =
        PrintValues::collect(query.rows(), {request.heading, unit, today, limits.bytes, limits.rows});
    query.checkComplete();

    Printout printout;
    printout.templateName = request.templateName;
    printout.title = request.heading.value_or(request.templateName);
    printout.html = library.render(request.templateName, values);
    printout.landscape =
        metaContent(printout.html, QStringLiteral("orientation")) == QLatin1String("landscape");
    printout.tabStops = tabStopsOf(printout.html);
    return printout;
}

std::unique_ptr<QTextDocument> Printout::layOut(QPagedPaintDevice* device) const {
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    if (device) {
        document->documentLayout()->setPaintDevice(device);
        const QSizeF page = device->pageLayout().paintRectPixels(device->logicalDpiX()).size();
        const qreal footer = footerMillimetres * device->logicalDpiY() / millimetresPerInch;
        document->setPageSize(QSizeF(page.width(), page.height() - footer));
    }
    document->setDefaultFont(QFont(officeFont, 10));
    document->setHtml(html);
    applyTabStops(*document, tabStops);
    return document;
}

void Printout::paint(QPagedPaintDevice& device) const {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(marginMillimetres, marginMillimetres, marginMillimetres,
                                               marginMillimetres - footerMillimetres / 2),
                                     QPageLayout::Millimeter));
    const std::unique_ptr<QTextDocument> document = layOut(&device);
    QPainter painter(&device);
    if (!painter.isActive())
        throw PrintError(PrintError::Output, QStringLiteral("无法开始打印：打印设备不可用。"));
    const QSizeF page = document->pageSize();
    const qreal footer = footerMillimetres * device.logicalDpiY() / millimetresPerInch;
    const int pages = document->pageCount();
    painter.setFont(QFont(officeFont, 8));
    for (int index = 0; index < pages; ++index) {
        if (index > 0 && !device.newPage())
            throw PrintError(PrintError::Output, QStringLiteral("无法开始新的一页。"));
        const QRectF view(QPointF(0, index * page.height()), page);
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        document->documentLayout()->draw(&painter, context);
        painter.restore();
        if (pages > 1)
            painter.drawText(QRectF(0, page.height(), page.width(), footer), Qt::AlignCenter,
                             QStringLiteral("第 %1 页，共 %2 页").arg(index + 1).arg(pages));
    }
}

QString Printout::archivePdf(const QString& folder, const QDateTime& now) const {
    if (!QDir().mkpath(folder))
        throw PrintError(PrintError::Output, QStringLiteral("无法创建打印文件夹：%1").arg(folder));
    const QString stem = now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') + templateName;
    const auto unwritable = [](const QString& path, const QString& reason) {
        return PrintError(PrintError::Output, QStringLiteral("无法写入打印文件：%1\n%2").arg(path, reason));
    };

    // Written beside its final name and renamed when complete, so a print that is stopped midway
    // leaves no broken PDF in the archive, only a hidden part file.
    QTemporaryFile part(QDir(folder).filePath(QLatin1Char('.') + stem + QStringLiteral("-XXXXXX.part")));
    if (!part.open())
        throw unwritable(part.fileTemplate(), part.errorString());
    {
        QPdfWriter writer(&part);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("pelu-print"));
        paint(writer);
    }
    const QString written = part.fileName();
    part.close();
    if (part.error() != QFileDevice::NoError)
        throw unwritable(written, part.errorString());

    // A rename never replaces a file, so a second pelu-print of the same second takes the next number.
    for (int number = 1;; ++number) {
        const QString name = number == 1 ? stem : stem + QLatin1Char('-') + QString::number(number);
        const QString path = QDir(folder).filePath(name + QStringLiteral(".pdf"));
        QFile file(written);
        if (file.rename(path)) {
            part.setAutoRemove(false);
            return path;
        }
        if (!QFileInfo::exists(path))
            throw unwritable(path, file.errorString());
    }
}
