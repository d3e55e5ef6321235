#pragma once

#include <QString>

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
    QString iniFile() const;
    // The database file named in [peludb] of pelu.ini (relative names are inside the folder).
    QString databaseFile() const;
    QString printsFolder() const;
    QString templatesFolder() const;
    QString backupFolder() const;
    QString lockFile() const;

    enum class PrinterMode { PdfOnly, Printer, Preview };
    struct PrinterSettings {
        PrinterMode mode = PrinterMode::PdfOnly;
        QString printerName; // empty: the system's default printer
    };
    PrinterSettings printerSettings() const;

private:
    QString m_path;
};
