#pragma once

#include "foundation/columncatalogue.h"

#include <QString>
#include <QVariant>

// How a stored value is shown, by the kind of its column: money with two decimals, shares as
// percentages, dates as yyyy-MM-dd, other numbers in plain decimal (never an exponent). NULL is empty.
namespace ColumnText {

QString shown(ColumnCatalogue::Kind kind, const QVariant& value);
// Numbers read best right-aligned.
bool isNumeric(ColumnCatalogue::Kind kind);

} // namespace ColumnText
