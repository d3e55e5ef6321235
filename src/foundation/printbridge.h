#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class DataFolder;
class Prompter;

// One printed document: the template name exactly as the print site passes it (its padding blanks
// included), the report-list name that governs it (none for the sites that print for everybody),
// the complete SELECT whose rows it shows, and an optional heading.
struct PrintJob {
    QString templateName;
    std::optional<QString> listName;
    QString query;
    std::optional<QString> heading;
    // Sites that skip the print flag and test only the report list.
    bool ignoresPrintFlag = false;
};

// Who prints and what they may print, asked at every print: both change with each login.
struct PrintRights {
    // Named to pelu-print for the archive's index; empty names nobody.
    std::function<QString()> operatorName;
    // Whether a job that names its report list may be printed. Jobs without a list always may.
    std::function<bool(const PrintJob& job)> allows;
};

// Starts a program without waiting for it. Tests record instead of starting.
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    virtual void startDetached(const QString& program, const QStringList& arguments) = 0;
};

class DetachedProcessLauncher : public ProcessLauncher {
public:
    void startDetached(const QString& program, const QStringList& arguments) override;
};

// Whether paper can come out: of the named printer, or of the system's default one for an empty name.
class PrinterProbe {
public:
    virtual ~PrinterProbe() = default;
    virtual bool available(const QString& printerName) const = 0;
};

// Hands print jobs to pelu-print, which lies beside this program.
class PrintBridge {
public:
    PrintBridge(PrintRights rights, ProcessLauncher& launcher, QString programFolder);

    // The command tail: TEMPLATE$#QUERY, then @HEADING when there is one. Nothing is quoted.
    static QString commandTail(const PrintJob& job);
    // The print gate: a job without a report list passes, any other as the rights say.
    bool passesGate(const PrintJob& job) const;
    // Runs the gate and, when it passes, starts pelu-print. Never waits. Returns whether it started.
    bool print(const PrintJob& job);
    // The documents of one action: those that pass the gate go to one pelu-print, which prints them in
    // this order. Returns how many went.
    qsizetype print(const QList<PrintJob>& jobs);
    QString printProgram() const;
    // The one way the office starts other programs, so that tests record them all.
    ProcessLauncher& launcher() const { return m_launcher; }

    // From now on, a print that reaches no paper (pelu.ini says pdf, or the printer is not there) tells the
    // operator where its PDF went: once for the office, until the reason changes or paper is reached again.
    void sayWherePdfsGo(const DataFolder& folder, const PrinterProbe& probe, Prompter& prompter);
    // A new login: the next print looks at the printing set-up again.
    void newLogin() { m_toldWherePdfWent = false; }

private:
    void tellOnceWherePdfWent();

    PrintRights m_rights;
    ProcessLauncher& m_launcher;
    QString m_programFolder;
    const DataFolder* m_dataFolder = nullptr;
    const PrinterProbe* m_probe = nullptr;
    Prompter* m_prompter = nullptr;
    bool m_toldWherePdfWent = false;
};
