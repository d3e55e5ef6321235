#include "shared/printarchive.h"

#include "foundation/datetext.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>

namespace PrintArchive {

QString indexFile(const QString& printsFolder) {
    return QDir(printsFolder).filePath(QStringLiteral("index.jsonl"));
}

bool record(const QString& printsFolder, const Entry& entry) {
    // Two prints may finish at the same moment; each line goes in whole.
    QLockFile lock(indexFile(printsFolder) + QStringLiteral(".lock"));
    if (!lock.tryLock(5000))
        return false;
    const QJsonObject line{{QStringLiteral("printedAt"), DateText::fromDateTime(entry.printedAt)},
                           {QStringLiteral("file"), entry.file},
                           {QStringLiteral("template"), entry.templateName},
                           {QStringLiteral("heading"), entry.heading},
                           {QStringLiteral("operator"), entry.operatorName}};
    QFile index(indexFile(printsFolder));
    if (!index.open(QIODevice::Append))
        return false;
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    return index.write(text) == text.size() && index.flush();
}

void removeDeadParts(const QString& printsFolder, const QDateTime& now) {
    const QFileInfoList parts =
        QDir(printsFolder).entryInfoList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& part : parts)
        if (part.lastModified().secsTo(now) > 3600)
            QFile::remove(part.filePath());
}

QList<Entry> read(const QString& printsFolder) {
    QList<Entry> entries;
    QFile index(indexFile(printsFolder));
    if (!index.open(QIODevice::ReadOnly))
        return entries;
    const QDir folder(printsFolder);
    while (!index.atEnd()) {
        const QJsonObject line = QJsonDocument::fromJson(index.readLine()).object();
        Entry entry{DateText::toDateTime(line.value(QStringLiteral("printedAt")).toString()),
                    line.value(QStringLiteral("file")).toString(),
                    line.value(QStringLiteral("template")).toString(),
                    line.value(QStringLiteral("heading")).toString(),
                    line.value(QStringLiteral("operator")).toString()};
        // Only a plain name inside prints/ counts: the index must not lead the office to other files.
        if (entry.printedAt.isValid() && !entry.file.isEmpty() && !entry.file.contains(QLatin1Char('/')) &&
            folder.exists(entry.file))
            entries << entry;
    }
    return entries;
}

} // namespace PrintArchive
