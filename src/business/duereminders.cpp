#include "business/duereminders.h"

#include "foundation/database.h"
#include "foundation/datetext.h"

namespace {
const QString dueToday = QStringLiteral(" FROM ydmd WHERE date(提醒日期) = ? AND 需要提醒 = 1");
} // namespace

namespace DueReminders {

int count(Database& database, const QDate& today) {
    return database
        .scalar(QStringLiteral("SELECT count(*)") + dueToday, {DateText::fromDate(today)},
                QStringLiteral("读取到期提醒"))
        .toInt();
}

QSqlQuery list(Database& database, const QDate& today) {
    return database.exec(QStringLiteral("SELECT *") + dueToday + QStringLiteral(" ORDER BY id"),
                         {DateText::fromDate(today)}, QStringLiteral("读取今日完款提醒"));
}

} // namespace DueReminders
