#include "printer/printtail.h"

#include "printer/printerror.h"

#include <QRegularExpression>

namespace {

// The position of the last "@" outside quoted text and comments, or -1.
qsizetype lastHeadingMark(const QString& text) {
    qsizetype mark = -1;
    QChar closing; // the quote that ends the quoted text we are in, or null outside quotes
    bool lineComment = false;
    bool blockComment = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (lineComment) {
            lineComment = c != QLatin1Char('\n');
        } else if (blockComment) {
            if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                blockComment = false;
                ++i;
            }
        } else if (!closing.isNull()) {
            // A doubled quote inside quoted text stands for the quote itself and is read as two quotes:
            // the first closes, the second opens again, which leaves us inside.
            if (c == closing)
                closing = QChar();
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            closing = c;
        } else if (c == QLatin1Char('[')) {
            closing = QLatin1Char(']');
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            lineComment = true;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            blockComment = true;
            ++i;
        } else if (c == QLatin1Char('@')) {
            mark = i;
        }
    }
    return mark;
}

} // namespace

PrintRequest PrintRequest::parse(const QString& tail) {
    const qsizetype separator = tail.indexOf(QStringLiteral("$#"));
    if (separator < 0)
        throw PrintError(PrintError::CommandLine,
                         QStringLiteral("打印命令不完整：模板名称与查询之间缺少“$#”。"));

    PrintRequest request;
    request.templateName = tail.left(separator).trimmed();
    // The name becomes a file name, so only the characters template names are made of pass.
    static const QRegularExpression validName(QStringLiteral("^[A-Za-z0-9_]+$"));
    if (!validName.match(request.templateName).hasMatch())
        throw PrintError(
            PrintError::CommandLine,
            QStringLiteral("打印模板名称“%1”无效：只能由字母、数字和下划线组成。").arg(request.templateName));

    const QString rest = tail.mid(separator + 2);
    const qsizetype mark = lastHeadingMark(rest);
    if (mark >= 0) {
        request.query = rest.left(mark).trimmed();
        request.heading = rest.mid(mark + 1);
    } else {
        request.query = rest.trimmed();
    }
    if (request.query.isEmpty())
        throw PrintError(PrintError::CommandLine, QStringLiteral("打印命令中没有查询语句。"));
    return request;
}
