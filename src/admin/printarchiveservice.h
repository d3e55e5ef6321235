#pragma once

#include "foundation/boundquery.h"
#include "foundation/saveoutcome.h"

#include <QDate>
#include <QString>
#include <optional>

class Database;
class DataFolder;
class PrinterProbe;
class ProcessLauncher;

// The printed documents kept as PDFs in the data folder: listed from their index, opened in the
// system's PDF viewer and printed again on paper.
class PrintArchiveService {
public:
    PrintArchiveService(Database& database, const DataFolder& folder, ProcessLauncher& launcher,
                        const PrinterProbe& printers);

    // Reads the index afresh into print_archive, a temporary table of this connection only, so that
    // the list can be a query like every other list. Throws DatabaseError.
    void reload();
    // The day of the oldest document listed; invalid when there is none.
    QDate firstDay();
    // The documents printed from `from` to `to`, both whole days, whose heading, template, operator
    // or file contains `text` literally; newest first.
    static BoundQuery list(const QDate& from, const QDate& to, const QString& text);

    // `file` is the chosen document's name inside prints/; empty when none is chosen.
    SaveOutcome open(const QString& file) const;
    SaveOutcome reprint(const QString& file) const;

private:
    QString pathOf(const QString& file) const;
    // Why `file` cannot be opened or printed: none chosen, or its PDF gone since the list was read.
    std::optional<SaveOutcome> refusal(const QString& file) const;

    Database& m_database;
    const DataFolder& m_folder;
    ProcessLauncher& m_launcher;
    const PrinterProbe& m_printers;
};
