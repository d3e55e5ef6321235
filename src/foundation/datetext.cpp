#include "foundation/datetext.h"

namespace {
const QString dateFormat = QStringLiteral("yyyy-MM-dd");
const QString momentFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
} // namespace

namespace DateText {

QString fromDate(const QDate& date) {
    return date.isValid() ? date.toString(dateFormat) : QString();
}

QString fromDateTime(const QDateTime& moment) {
    return moment.isValid() ? moment.toString(momentFormat) : QString();
}

QDate toDate(const QString& text) {
    return QDate::fromString(text.trimmed().left(10), dateFormat);
}

QDateTime toDateTime(const QString& text) {
    return QDateTime::fromString(text.trimmed(), momentFormat);
}

} // namespace DateText
