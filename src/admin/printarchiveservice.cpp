#include "admin/printarchiveservice.h"

#include "foundation/database.h"
#include "foundation/datafolder.h"
#include "foundation/datetext.h"
#include "foundation/likepattern.h"
#include "foundation/printbridge.h"
#include "shared/printarchive.h"

#include <QDir>
#include <QFile>

namespace {

const QString loading = QStringLiteral("读取打印存档");

} // namespace

PrintArchiveService::PrintArchiveService(Database& database, const DataFolder& folder,
                                         ProcessLauncher& launcher, const PrinterProbe& printers)
    : m_database(database), m_folder(folder), m_launcher(launcher), m_printers(printers) {}

void PrintArchiveService::reload() {
    const QList<PrintArchive::Entry> entries = PrintArchive::read(m_folder.printsFolder());
    m_database.transaction([&] {
        m_database.exec(
            QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS print_archive (rid INTEGER PRIMARY KEY, "
                           "打印时间 TEXT NOT NULL, 文档 TEXT NOT NULL, 标题 TEXT NOT NULL, "
                           "操作员 TEXT NOT NULL, 文件 TEXT NOT NULL)"),
            {}, loading);
        m_database.exec(QStringLiteral("DELETE FROM print_archive"), {}, loading);
        // The key is the line's place in the index, given here: a server does not number an INTEGER
        // PRIMARY KEY by itself.
        qint64 line = 0;
        for (const PrintArchive::Entry& entry : entries)
            m_database.insert(QStringLiteral("print_archive"),
                              {{QStringLiteral("rid"), ++line},
                               {QStringLiteral("打印时间"), DateText::fromDateTime(entry.printedAt)},
                               {QStringLiteral("文档"), entry.templateName.trimmed()},
                               {QStringLiteral("标题"), entry.heading},
                               {QStringLiteral("操作员"), entry.operatorName},
                               {QStringLiteral("文件"), entry.file}},
                              loading);
    });
}

QDate PrintArchiveService::firstDay() {
    return DateText::toDate(
        m_database.scalar(QStringLiteral("SELECT min(打印时间) FROM print_archive"), {}, loading).toString());
}

BoundQuery PrintArchiveService::list(const QDate& from, const QDate& to, const QString& text) {
    const QString pattern = LikePattern::containing(text);
    return {QStringLiteral("SELECT rid, 打印时间, 文档, 标题, 操作员, 文件 FROM print_archive "
                           "WHERE SUBSTR(打印时间, 1, 10) BETWEEN ? AND ? "
                           "AND (标题 LIKE ? ESCAPE '\\' OR 文档 LIKE ? ESCAPE '\\' "
                           "OR 操作员 LIKE ? ESCAPE '\\' OR 文件 LIKE ? ESCAPE '\\') "
                           "ORDER BY 打印时间 DESC, rid DESC"),
            {DateText::fromDate(from), DateText::fromDate(to), pattern, pattern, pattern, pattern}};
}

SaveOutcome PrintArchiveService::open(const QString& file) const {
    if (const auto stop = refusal(file))
        return *stop;
    m_launcher.startDetached(QStringLiteral("xdg-open"), {pathOf(file)});
    return done();
}

SaveOutcome PrintArchiveService::reprint(const QString& file) const {
    if (const auto stop = refusal(file))
        return *stop;
    const DataFolder::PrinterSettings settings = m_folder.printerSettings();
    if (settings.mode == DataFolder::PrinterMode::PdfOnly)
        return refused(
            notice(QStringLiteral("按 pelu.ini 的设置，打印不送打印机；%1 没有重新打印。").arg(file)));
    if (!m_printers.available(settings.printerName))
        return refused(notice(
            settings.printerName.isEmpty()
                ? QStringLiteral("没有可用的打印机，%1 没有重新打印。").arg(file)
                : QStringLiteral("找不到打印机“%1”，%2 没有重新打印。").arg(settings.printerName, file)));
    QStringList arguments;
    if (!settings.printerName.isEmpty())
        arguments << QStringLiteral("-d") << settings.printerName;
    arguments << pathOf(file);
    m_launcher.startDetached(QStringLiteral("lp"), arguments);
    return done(notice(QStringLiteral("已送去重新打印：%1").arg(file)));
}

QString PrintArchiveService::pathOf(const QString& file) const {
    return QDir(m_folder.printsFolder()).filePath(file);
}

std::optional<SaveOutcome> PrintArchiveService::refusal(const QString& file) const {
    if (file.isEmpty())
        return refused(notice(QStringLiteral("请先在列表中选择一份文档。")));
    if (!QFile::exists(pathOf(file)))
        return refused(notice(QStringLiteral("存档中已没有这份文件：%1\n请点“刷新”。").arg(file)));
    return std::nullopt;
}
