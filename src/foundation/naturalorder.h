#pragma once

#include <QStringList>

// Names of areas, rows, halls and rooms in the order a clerk counts them: 1, 2, … 10, 99 (not 1, 10, 11,
// … 2), and names without numbers as Chinese sorts them. The lists are short, so they are sorted here
// rather than by each engine's own rules.
QStringList inNaturalOrder(QStringList names);
