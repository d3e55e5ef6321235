#pragma once

#include <QString>
#include <QVariantList>

// One SELECT and the values bound to its marks, in order: what a service hands a grid, which may
// run it again (counted, summed, sorted, exported) as often as it needs.
struct BoundQuery {
    QString sql;
    QVariantList values;
};
