#include "printbridge.h"

#include "rights.h"
#include "session.h"

#include <QDir>
#include <QProcess>

void DetachedProcessLauncher::startDetached(const QString& program, const QStringList& arguments) {
    // Printing never waits and never stops the office, but a program that cannot start leaves a trace.
    if (!QProcess::startDetached(program, arguments))
        qWarning("无法启动打印程序：%s", qUtf8Printable(program));
}

PrintBridge::PrintBridge(const Session& session, ProcessLauncher& launcher, QString programFolder)
    : m_session(session), m_launcher(launcher), m_programFolder(std::move(programFolder)) {}

QString PrintBridge::commandTail(const PrintJob& job) {
    QString tail = job.templateName + QStringLiteral("$#") + job.query;
    if (job.heading)
        tail += QLatin1Char('@') + *job.heading;
    return tail;
}

bool PrintBridge::passesGate(const PrintJob& job) const {
    if (!job.listName)
        return true;
    if (!job.ignoresPrintFlag && m_session.flags.printDenied)
        return false;
    return Rights::reportListAllows(m_session.reportList, *job.listName);
}

bool PrintBridge::print(const PrintJob& job) {
    if (!passesGate(job))
        return false;
    m_launcher.startDetached(printProgram(), {commandTail(job)});
    return true;
}

QString PrintBridge::printProgram() const {
    return QDir(m_programFolder).filePath(QStringLiteral("pelu-print"));
}
