#pragma once

#include "foundation/datetext.h"

#include <QList>
#include <QString>

// One figure of a statistic: what it counts, how many, and its share as a fraction of 1.
struct Figure {
    QString label;
    qint64 count = 0;
    double share = 0;
};

namespace Tally {

// count ÷ divisor, and 0 when the divisor is 0.
double share(qint64 count, qint64 divisor);
// The share as the office reads it: "66.67%".
QString percent(double share);
// "一月" … "十二月"; empty for any other number.
QString monthName(int month);
// A template name as the print sites pass it: padded with blanks to ten characters.
QString paddedTemplate(const QString& name);

} // namespace Tally
