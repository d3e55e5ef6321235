#include "reservationlists.h"

#include "database.h"
#include "datetext.h"

namespace ReservationLists {

QSqlQuery dueToday(Database& database, const QDate& today) {
    return database.exec(
        QStringLiteral("SELECT * FROM ydmd WHERE date(提醒日期) = ? AND 需要提醒 = 1 ORDER BY id"),
        {DateText::fromDate(today)}, QStringLiteral("读取今日完款提醒"));
}

} // namespace ReservationLists
