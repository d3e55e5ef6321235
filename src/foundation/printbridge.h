#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct Session;

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

// Hands print jobs to pelu-print, which lies beside this program.
class PrintBridge {
public:
    PrintBridge(const Session& session, ProcessLauncher& launcher, QString programFolder);

    // The command tail: TEMPLATE$#QUERY, then @HEADING when there is one. Nothing is quoted.
    static QString commandTail(const PrintJob& job);
    // The print gate: the print flag (unless the site skips it), then the report list.
    bool passesGate(const PrintJob& job) const;
    // Runs the gate and, when it passes, starts pelu-print. Never waits. Returns whether it started.
    bool print(const PrintJob& job);
    QString printProgram() const;

private:
    const Session& m_session;
    ProcessLauncher& m_launcher;
    QString m_programFolder;
};
