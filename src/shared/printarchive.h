#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// The index of the printed documents kept as PDFs in the data folder's prints/: one line per
// document, written by the printing program once its PDF is complete, so that a lost receipt can be
// found by its date, heading or operator and printed again.
namespace PrintArchive {

struct Entry {
    QDateTime printedAt;
    QString file; // the PDF's name inside prints/
    QString templateName;
    QString heading; // the document's heading; the template name when it has none
    QString operatorName;
};

QString indexFile(const QString& printsFolder);
// Appends `entry` to the index, one writer at a time. Returns false when the index cannot be written.
bool record(const QString& printsFolder, const Entry& entry);
// Every entry whose PDF is still there, oldest first. Lines that cannot be read are passed over.
QList<Entry> read(const QString& printsFolder);
// Removes the part files of prints that were stopped midway: those older than any print can take, since
// other prints may be writing theirs right now.
void removeDeadParts(const QString& printsFolder, const QDateTime& now);

} // namespace PrintArchive
