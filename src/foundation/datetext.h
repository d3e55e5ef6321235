#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// The one place that turns dates into the texts stored in the database and back.
// Dates are stored as "yyyy-MM-dd", moments as "yyyy-MM-dd HH:mm:ss", so that text order is time order.
namespace DateText {

QString fromDate(const QDate& date);
QString fromDateTime(const QDateTime& moment);
// Reads either stored form; a moment gives its date.
QDate toDate(const QString& text);
// Reads a stored moment; anything else is an invalid moment.
QDateTime toDateTime(const QString& text);

} // namespace DateText
