#include "foundation/naturalorder.h"

#include <QCollator>
#include <algorithm>

QStringList inNaturalOrder(QStringList names) {
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setNumericMode(true);
    std::stable_sort(names.begin(), names.end(), collator);
    return names;
}
