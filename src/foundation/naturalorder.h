#pragma once

#include <QStringList>

// Names of areas, rows, halls and rooms in the order a clerk counts them: 1, 2, … 10, 99 (not 1, 10, 11,
// … 2), and names as Chinese sorts them: by pinyin (甲 before 乙), names in characters before names in
// letters. The lists are short, so they are sorted here rather than by each engine's own rules.
QStringList inNaturalOrder(QStringList names);
