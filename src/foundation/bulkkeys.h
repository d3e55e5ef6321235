#pragma once

#include <QString>
#include <QStringList>

// The positions a bulk action touched, written short for its line in the change history.
namespace BulkKeys {

// Keys that differ only in consecutive numbers become one range ("东区3排0001—0100号"), ranges and
// single keys joined by "、", in the order of the keys' texts with their numbers read as numbers.
QString compact(QStringList keys);

} // namespace BulkKeys
