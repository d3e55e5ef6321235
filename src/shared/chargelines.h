#pragma once

#include "foundation/database.h"

#include <QList>
#include <QString>
#include <span>

// Goods on a charges form (cemetery and columbarium): a unit price times a quantity gives the line
// total, each typed as text and read by its leading number.
namespace ChargeLines {

double lineTotal(const QString& unitPrice, const QString& quantity);
// A fee typed beside the goods, as kept: to the cent, so that the total is the sum of the fees the row
// shows.
double fee(const QString& typed);
// Good n (from 1) is stored as its unit price under its own name, then 数量n and 合计n.
QList<Database::Column> goodsColumns(std::span<const char* const> names, std::span<const QString> unitPrices,
                                     std::span<const QString> quantities);

} // namespace ChargeLines
