#pragma once

#include "foundation/database.h"

#include <QString>
#include <QStringList>

// The office's data folder: pelu.ini, the database, printed documents, template overrides and the
// default backup folder. Chosen by --data, else PELU_DATA, else the platform's application-data place.
class DataFolder {
public:
    explicit DataFolder(QString path);

    // --data wins over PELU_DATA, which wins over the platform default.
    static QString choose(const QString& fromCommandLine);

    // Creates the folder, its sub-folders and a default pelu.ini when missing. Throws DatabaseError
    // naming the path when the folder cannot be created or written.
    void prepare() const;

    QString path() const { return m_path; }
    // The folder holds families' names, addresses, ID and telephone numbers and the operators' password
    // hashes. From now on every file and folder this program makes is its user's alone (0600, 0700), or
    // its group's too where the folder already lets its group in (an office may share it so on purpose),
    // whatever the umask; and whatever other users could reach in the folder is taken from them, which
    // the log says once.
    void keepPrivate() const;
    // Removes the part files a backup that was stopped midway left in the backup folder. Only for the one
    // program that holds the office's lock: nobody else writes a backup there meanwhile.
    void removeDeadBackupParts() const;
    QString iniFile() const;
    // The database file named in [peludb] of pelu.ini (relative names are inside the folder).
    QString databaseFile() const;
    // Where [peludb] keeps the records: driver=QSQLITE (the default) with the file above, or
    // driver=QPSQL with host, port, database and user of a PostgreSQL server. Throws DatabaseError
    // when a server is chosen without a database name.
    DatabaseTarget databaseTarget() const;
    // Where pelu-print reads: the same, as the server user printuser= when [peludb] names one (a role that
    // may only read, so that no print query can write or reach other desks' sessions).
    DatabaseTarget printTarget() const;
    // Where the schema is made, upgraded, copied and restored: the same, as the server user owner= when
    // [peludb] names one (the role that owns the tables; the desks' user= then may not change them).
    DatabaseTarget ownerTarget() const;
    // What [peludb] holds that could not be used, said in words. Only QSQLITE and QPSQL are known;
    // anything else is ignored rather than left to fail at the first query, and so is a password.
    QStringList ignoredDatabaseSettings() const;
    // Why prints last reached no paper, as the office was told it; empty when it was not, or paper has
    // been reached since.
    QString noPaperTold() const;
    void rememberNoPaperTold(const QString& reason) const;
    QString printsFolder() const;
    QString templatesFolder() const;
    QString backupFolder() const;
    QString lockFile() const;

    // pdf: only the archived PDF; printer: also on paper, on the named printer or, with no name, on the
    // system's default printer when there is one; preview: also in a preview window.
    enum class PrinterMode { PdfOnly, Printer, Preview };
    struct PrinterSettings {
        PrinterMode mode = PrinterMode::Printer;
        QString printerName;   // empty: the system's default printer
        int querySeconds = 60; // how long a report query may run
        QStringList ignored;   // what pelu.ini holds that could not be used, said in words
    };
    // The [printer] section of pelu.ini; what is missing or cannot be used takes the default.
    PrinterSettings printerSettings() const;

private:
    QString m_path;
};
