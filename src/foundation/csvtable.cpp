#include "foundation/csvtable.h"

#include <QStringDecoder>
#include <unicode/ucnv.h>

namespace {

// GB18030 through ICU: Qt's own codecs may be built without it.
std::optional<QString> fromGb18030(const QByteArray& bytes) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("GB18030", &status);
    if (U_FAILURE(status))
        return std::nullopt;
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    QString text(bytes.size() + 1, Qt::Uninitialized);
    const int32_t length =
        ucnv_toUChars(converter, reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()),
                      bytes.constData(), static_cast<int32_t>(bytes.size()), &status);
    ucnv_close(converter);
    if (U_FAILURE(status))
        return std::nullopt;
    text.truncate(length);
    return text;
}

} // namespace

namespace CsvTable {

Table read(const QByteArray& bytes) {
    Table table;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        table.encoding = QStringLiteral("UTF-8");
        text = QString::fromUtf8(bytes.mid(3));
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8(bytes);
        table.encoding = QStringLiteral("UTF-8");
        if (utf8.hasError()) {
            const std::optional<QString> chinese = fromGb18030(bytes);
            if (!chinese) {
                table.error = QStringLiteral("文件既不是 UTF-8 也不是 GB18030 编码的文本");
                return table;
            }
            text = *chinese;
            table.encoding = QStringLiteral("GB18030");
        }
    }

    int line = 1;
    Record record{line, {}};
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    const auto endField = [&] {
        record.fields << field;
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&] {
        endField();
        // A line with nothing on it is no record (the blank line at a file's end).
        if (record.fields.size() > 1 || !record.fields.first().isEmpty())
            table.records << record;
        record = Record{line, {}};
    };
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (at + 1 < text.size() && text.at(at + 1) == QLatin1Char('"')) {
                    field += c;
                    ++at;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && at + 1 < text.size() && text.at(at + 1) == QLatin1Char('\n'))
                ++at;
            ++line;
            endRecord();
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (quoted) {
        table.error = QStringLiteral("第 %1 行起的引号没有结束").arg(record.line);
        table.records.clear();
        return table;
    }
    if (fieldStarted || !record.fields.isEmpty() || !field.isEmpty())
        endRecord();
    return table;
}

void appendField(QString& line, const QString& field) {
    const bool quoted = std::any_of(field.cbegin(), field.cend(), [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\n') ||
               c == QLatin1Char('\r');
    });
    if (!quoted) {
        line += field;
        return;
    }
    line += QLatin1Char('"');
    for (const QChar c : field) {
        if (c == QLatin1Char('"'))
            line += c;
        line += c;
    }
    line += QLatin1Char('"');
}

QString line(const QStringList& fields) {
    QString text;
    for (qsizetype at = 0; at < fields.size(); ++at) {
        if (at > 0)
            text += QLatin1Char(',');
        appendField(text, fields.at(at));
    }
    return text;
}

} // namespace CsvTable
