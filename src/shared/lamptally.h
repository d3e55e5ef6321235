#pragma once

#include <QString>
#include <QStringList>

class Database;

// How many plots with somebody buried have their lamps paid, year by year, so that the plots that have
// not paid for a year are counted without reading every register row and payment. lamp_tally holds a
// row a year (年份) with that count (墓位数), and the row of year '' counts every plot with somebody
// buried. Triggers on gm_dj and cjdd keep it in the transaction that writes a burial or a payment. A
// payment covers every year from 起始年份 to 终止年份 as the texts compare, exactly as the lamp list
// asks; lamp_years lists the years a list can ask for ('0000' to '9999') to spread a payment over.
namespace LampTally {

// The tables only the triggers write; the change history leaves them out.
QStringList tables();
// (Re)creates the tables, fills them from the registers and payments, and the triggers that keep them.
void build(Database& database);

} // namespace LampTally
