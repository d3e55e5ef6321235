#pragma once

#include <QDate>
#include <QSqlQuery>

class Database;

// The read-only reservation lists by reminder date.
namespace ReservationLists {

// Reservations whose reminder date is `today` and that want a reminder, every column.
QSqlQuery dueToday(Database& database, const QDate& today);

} // namespace ReservationLists
