#pragma once

#include "foundation/boundquery.h"

#include <QDate>

class Database;

// The reservations whose payment is due: reminder date today and a reminder wanted. The login counts
// them and the reminder list shows them. The overdue list shows those due until today.
namespace DueReminders {

int count(Database& database, const QDate& today);
// Every column of those reservations, in the order they were made, for the reminder list's grid.
BoundQuery list(const QDate& today);
// Every reservation whose reminder date is today or earlier, wanted or not, the oldest first.
BoundQuery overdue(const QDate& today);

} // namespace DueReminders
