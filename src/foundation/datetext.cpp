#include "foundation/datetext.h"

#include <QRegularExpression>

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

std::optional<int> parseYear(const QString& text) {
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    const QString year = text.trimmed();
    if (!fourDigits.match(year).hasMatch())
        return std::nullopt;
    return year.toInt();
}

} // namespace DateText

QString Period::first() const {
    return DateText::fromDate(from);
}

QString Period::end() const {
    return DateText::fromDate(to.addDays(1));
}

Period Period::ofYear(int year) {
    return {QDate(year, 1, 1), QDate(year, 12, 31)};
}
