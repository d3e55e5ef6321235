#pragma once

#include "foundation/saveoutcome.h"
#include "statistics/tally.h"

struct Session;

// One money report of the charge statistics windows: the option that chooses it, and the rows of a
// period that pelu-print lays out and totals.
struct ChargeReport {
    QString option;  // the option button's object name
    QString caption; // and its caption
    QString templateName;
    QString table;
    QString kind; // 操作方式 of the rows, or empty for every row
    QString dateColumn;
    QString title; // after "D1到D2"; empty: the report has no heading
};

// The charge statistics of the cemetery (Frm_gm_tj) and of the columbarium (FRM_JCTJ).
namespace ChargeReports {

const QList<ChargeReport>& cemetery();
const QList<ChargeReport>& columbarium();

// Without the print right the operator is told so; otherwise the report of `period` is handed to the
// print bridge, which leaves it out when the operator's report list lacks it.
SaveOutcome print(const Session& session, const ChargeReport& report, const Period& period);

} // namespace ChargeReports
