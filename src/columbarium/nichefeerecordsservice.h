#pragma once

#include "foundation/boundquery.h"
#include "foundation/saveoutcome.h"

#include <optional>

class Database;
struct Session;

// The storage fee rows of one niche (Frmjc_sfwh) and the delete of a wrong one.
class NicheFeeRecordsService {
public:
    // The hidden column that keeps the totals line above the fee rows.
    static const QString lineOrder;

    NicheFeeRecordsService(Database& database, const Session& session);

    // The grid: a line of its own with the totals of 应收费 and 实收费, then every column of the niche's
    // ghjc_xf1 rows in table order. The totals line has no id.
    static BoundQuery rows(const QString& key);

    // 删除选中记录: the delete right, a question, then the row goes by its id unless it is the niche's
    // last fee row. A row already gone is told.
    SaveOutcome remove(std::optional<qint64> id, Prompter& prompter);

private:
    Database& m_database;
    const Session& m_session;
};
