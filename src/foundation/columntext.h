#pragma once

#include "foundation/columncatalogue.h"

#include <QString>
#include <QVariant>

// How a stored value is shown, by the kind of its column: money with two decimals, shares as
// percentages, dates as yyyy-MM-dd, other numbers in plain decimal (never an exponent). NULL is empty.
namespace ColumnText {

QString shown(ColumnCatalogue::Kind kind, const QVariant& value);
// A stored value as the text it holds; NULL is empty (a server reads an empty number column as a
// typed NULL that would otherwise turn into "0").
QString plain(const QVariant& value);
// Numbers read best right-aligned.
bool isNumeric(ColumnCatalogue::Kind kind);
// Whether the engine handed `value` over as a number rather than as text.
bool holdsNumber(const QVariant& value);

} // namespace ColumnText
