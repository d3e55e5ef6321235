#pragma once

#include <QString>

namespace CommonRoutines {

// 3 -> "-03", 12 -> "-12": the month and day parts of date texts built as year + part + part.
QString twoDigitDatePart(qint16 n);
// 1 -> "一月" ... 12 -> "十二月"; anything else gives an empty text.
QString chineseMonthName(qint16 n);

} // namespace CommonRoutines
