#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

// The one place that turns dates into the texts stored in the database and back.
// Dates are stored as "yyyy-MM-dd", moments as "yyyy-MM-dd HH:mm:ss", so that text order is time order.
namespace DateText {

QString fromDate(const QDate& date);
QString fromDateTime(const QDateTime& moment);
// Reads either stored form; a moment gives its date.
QDate toDate(const QString& text);
// Reads a stored moment; anything else is an invalid moment.
QDateTime toDateTime(const QString& text);
// A year as typed: four digits, blanks around them allowed; anything else is no year.
std::optional<int> parseYear(const QString& text);

} // namespace DateText

// A range of whole days, both ends included: every moment of the last day belongs to it.
struct Period {
    QDate from;
    QDate to;

    // The bounds as stored texts, for "column >= first AND column < end": the first day, and the day
    // after the last, so that dates and moments of the last day are both inside.
    QString first() const;
    QString end() const;
    static Period ofYear(int year);
};
