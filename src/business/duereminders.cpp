#include "business/duereminders.h"

#include "foundation/database.h"
#include "foundation/datetext.h"

namespace {
// The stored reminder is a date, or a moment of which the first ten characters are the date.
const QString dueToday = QStringLiteral(" FROM ydmd WHERE SUBSTR(提醒日期, 1, 10) = ? AND 需要提醒 = 1");
} // namespace

namespace DueReminders {

int count(Database& database, const QDate& today) {
    return database
        .scalar(QStringLiteral("SELECT count(*)") + dueToday, {DateText::fromDate(today)},
                QStringLiteral("读取到期提醒"))
        .toInt();
}

BoundQuery list(const QDate& today) {
    return {QStringLiteral("SELECT *") + dueToday + QStringLiteral(" ORDER BY id"),
            {DateText::fromDate(today)}};
}

BoundQuery overdue(const QDate& today) {
    // Before tomorrow: a reminder stored with a time of day today is due as well.
    return {QStringLiteral("SELECT * FROM ydmd WHERE 提醒日期 < ? ORDER BY 提醒日期, id"),
            {DateText::fromDate(today.addDays(1))}};
}

} // namespace DueReminders
