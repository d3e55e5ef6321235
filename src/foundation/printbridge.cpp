#include "foundation/printbridge.h"

#include "foundation/datafolder.h"
#include "foundation/prompter.h"

#include <QDir>
#include <QProcess>

void DetachedProcessLauncher::startDetached(const QString& program, const QStringList& arguments) {
    // Printing and opening never wait and never stop the office, but a program that cannot start
    // leaves a trace.
    if (!QProcess::startDetached(program, arguments))
        qWarning("无法启动程序：%s", qUtf8Printable(program));
}

PrintBridge::PrintBridge(PrintRights rights, ProcessLauncher& launcher, QString programFolder)
    : m_rights(std::move(rights)), m_launcher(launcher), m_programFolder(std::move(programFolder)) {}

QString PrintBridge::commandTail(const PrintJob& job) {
    QString tail = job.templateName + QStringLiteral("$#") + job.query;
    if (job.heading)
        tail += QLatin1Char('@') + *job.heading;
    return tail;
}

bool PrintBridge::passesGate(const PrintJob& job) const {
    return !job.listName || m_rights.allows(job);
}

bool PrintBridge::print(const PrintJob& job) {
    return print(QList<PrintJob>{job}) == 1;
}

qsizetype PrintBridge::print(const QList<PrintJob>& jobs) {
    QStringList tails;
    for (const PrintJob& job : jobs)
        if (passesGate(job))
            tails << commandTail(job);
    if (tails.isEmpty())
        return 0;
    QStringList arguments = tails;
    if (const QString name = m_rights.operatorName(); !name.isEmpty())
        arguments << QStringLiteral("--operator") << name;
    m_launcher.startDetached(printProgram(), arguments);
    tellOnceWherePdfWent();
    return tails.size();
}

void PrintBridge::sayWherePdfsGo(const DataFolder& folder, const PrinterProbe& probe, Prompter& prompter) {
    m_dataFolder = &folder;
    m_probe = &probe;
    m_prompter = &prompter;
}

void PrintBridge::tellOnceWherePdfWent() {
    if (!m_dataFolder || m_toldWherePdfWent)
        return;
    const DataFolder::PrinterSettings settings = m_dataFolder->printerSettings();
    for (const QString& ignored : settings.ignored)
        qWarning("%s", qUtf8Printable(ignored));
    QString reason;
    if (settings.mode == DataFolder::PrinterMode::PdfOnly)
        reason = QStringLiteral("按 pelu.ini 的设置，打印的文件不送打印机");
    else if (settings.mode == DataFolder::PrinterMode::Printer && !m_probe->available(settings.printerName))
        reason = settings.printerName.isEmpty()
                     ? QStringLiteral("没有可用的打印机")
                     : QStringLiteral("找不到打印机“%1”").arg(settings.printerName);
    if (reason.isEmpty()) {
        if (!m_dataFolder->noPaperTold().isEmpty())
            m_dataFolder->rememberNoPaperTold(QString());
        return;
    }
    m_toldWherePdfWent = true;
    if (m_dataFolder->noPaperTold() == reason)
        return;
    m_dataFolder->rememberNoPaperTold(reason);
    m_prompter->inform(Prompter::Icon::Information, QStringLiteral("打印"),
                       QStringLiteral("%1，已保存为 PDF 文件，在文件夹：\n%2")
                           .arg(reason, QDir::toNativeSeparators(m_dataFolder->printsFolder())));
}

QString PrintBridge::printProgram() const {
    return QDir(m_programFolder).filePath(QStringLiteral("pelu-print"));
}
