#pragma once

#include "foundation/boundquery.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>

class Clock;
class Database;
class DataFolder;
struct Session;

// Brings an office's existing register in from CSV files, one file per kind named after its table
// (mq_wz.csv), its columns the table's own column names in any order. Every row is checked as the
// windows check a typed one before anything is written; the import itself is all or nothing, after a
// verified backup, and the change history gets one line per file naming it and its checksum.
class ImportService {
public:
    ImportService(Database& database, const Session& session, const DataFolder& folder, const Clock& clock);

    // The tables a file may be named after, in the order their rows go in.
    static QStringList tables();
    // The columns of a table's file, in the order a template and an export write them.
    static QStringList columns(const QString& table);
    // A template of a table's file: the header and two example rows, as UTF-8 with its byte order mark.
    static QByteArray templateFile(const QString& table);
    // The office's rows of a table in its file's form; they read back unchanged.
    QByteArray exportFile(const QString& table);

    struct Problem {
        QString file;   // the file's name
        int line = 0;   // the file's line, from 1; 0 for the file as a whole
        QString column; // empty for the row or the file as a whole
        QString text;
    };
    struct Report {
        QList<Problem> problems;
        qint64 rows = 0; // rows checked, every file together
        bool clean() const { return problems.isEmpty(); }
        // What is said when the problems stop the import.
        QString refusal() const;
    };
    // The dry run: reads and checks every file against the office as it is, writing nothing.
    Report check(const QStringList& paths);

    struct Outcome {
        bool imported = false;
        QString message;
        Report report;
        QString backup; // the file the office was backed up to first
    };
    // The problems as a query for the record grid (文件, 行, 列, 问题), the first `shown` of them.
    static BoundQuery reportQuery(const Report& report, int shown = 5000);
    // What a kind's file holds, in words: "墓位（mq_wz.csv）".
    static QString kindTitle(const QString& table);

    // Checks again and, when every row is clean, backs the office up and writes every file's rows in
    // one transaction. Only Admin imports.
    Outcome import(const QStringList& paths);

    // How long the parts of the last import took.
    struct Timings {
        std::chrono::milliseconds check{0}, backup{0}, writing{0};
    };
    const Timings& lastTimings() const { return m_timings; }

private:
    struct File;
    struct Row;
    struct Known;
    struct Kind;
    static const QList<Kind>& kinds();
    static const Kind* kind(const QString& table);
    // The files' rows, the files in the order their rows go in.
    QList<File> read(const QStringList& paths, Report& report);
    // What the checks of `files` need to know of the office as it is now.
    Known office(const QList<File>& files);
    // The checks of every row, against each other and against `known`, to which they add what the run
    // brings; the writes use it.
    void checkRows(const QList<File>& files, Known& known, Report& report);

    Database& m_database;
    const Session& m_session;
    const DataFolder& m_folder;
    const Clock& m_clock;
    Timings m_timings;
};
