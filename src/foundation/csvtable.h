#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A CSV file as spreadsheets save it: fields separated by commas, quoted when they hold a comma, a
// quote or a line break, quotes inside doubled; lines end in CRLF or LF. The text is UTF-8 (with or
// without the byte order mark), or, when it is not valid UTF-8, GB18030, as Chinese spreadsheets save it.
namespace CsvTable {

struct Record {
    int line = 0; // the file's line where the record starts, from 1
    QStringList fields;
};

struct Table {
    QString encoding; // "UTF-8" or "GB18030"
    QList<Record> records;
    QString error; // the text could not be read; the records are then empty
};

Table read(const QByteArray& bytes);

// Appends one field to a line, quoted when it holds a separator, a quote or a line break, quotes doubled.
void appendField(QString& line, const QString& field);
// One line of a CSV file, without its line end.
QString line(const QStringList& fields);

} // namespace CsvTable
