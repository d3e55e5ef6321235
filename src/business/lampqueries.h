#pragma once

#include "foundation/boundquery.h"
#include "foundation/printbridge.h"
#include "foundation/prompter.h"

#include <QDate>
#include <QString>
#include <optional>

class Database;

// The ticked conditions of the lamp payment query, as chosen.
struct LampConditions {
    bool byPlace = false;
    QString area;
    QString row;
    QString number;
    bool byDeceased = false;
    QString deceased;
    bool byContact = false;
    QString contact;
    bool byTelephone = false;
    QString telephone;
    bool byBurial = false;
    QDate buriedFrom;
    QDate buriedTo;
};

// A list to show, or the notice why it cannot be listed.
struct LampListing {
    std::optional<BoundQuery> query;
    std::optional<Message> refusal;
};

// The lamp payments as the query window lists them: by conditions, a year's takings, and the plots
// that have not paid for a year.
namespace LampQueries {

// The numbers of the sold plots of an area's row ("" for an area without rows), in order.
QStringList soldNumbers(Database& database, const QString& area, const QString& row);

// The payments meeting every ticked condition.
LampListing payments(const LampConditions& conditions);
// The year as typed, or this year when nothing is typed; nothing when it is not four digits.
std::optional<int> year(const QString& typed, const QDate& today);
// The payments made in `year`, by plot, and their total.
BoundQuery yearSummary(int year);
double yearTotal(Database& database, int year);
// One row per plot with somebody buried and no payment covering `year`, with its first burial's data.
BoundQuery unpaid(int year);
// How many plots `unpaid` lists, from the lamp tally.
qint64 unpaidCount(Database& database, int year);
// The summary sheet of `year`.
PrintJob summaryPrint(int year);

QString countLabel(qint64 rows);
QString totalLabel(double total);
QString unpaidLabel(int year, qint64 rows);

} // namespace LampQueries
