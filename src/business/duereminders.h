#pragma once

#include <QDate>
#include <QSqlQuery>

class Database;

// The reservations whose payment is due: reminder date today and a reminder wanted. The login counts
// them and the reminder list shows them.
namespace DueReminders {

int count(Database& database, const QDate& today);
// Every column of those reservations, in the order they were made.
QSqlQuery list(Database& database, const QDate& today);

} // namespace DueReminders
