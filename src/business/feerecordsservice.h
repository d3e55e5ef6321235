#pragma once

#include "foundation/boundquery.h"
#include "foundation/saveoutcome.h"

#include <optional>

class Database;
struct Session;

// The fee rows of a sold plot (Frm_mqsfjl): the list, the reprint of a row's receipt and the delete of
// a wrong row.
class FeeRecordsService {
public:
    FeeRecordsService(Database& database, const Session& session);

    // Every column of the plot's gm_xf1 rows, in table order, oldest first.
    static BoundQuery rows(const QString& key);
    // Label1 for the current row.
    static QString rowLabel(qint64 id, const QString& operation);

    // 重新打印当前收费表: the purchase receipt ("gm", or "gm1" without the use dates) or the renewal receipt
    // of the current row, read again by its id; other rows print nothing. `id` is empty without a current
    // row.
    SaveOutcome reprint(std::optional<qint64> id, bool withoutUseDates);
    // 删除当前记录: only the operator named "Admin", after a question; the row goes by its id.
    SaveOutcome remove(std::optional<qint64> id, Prompter& prompter);

private:
    Database& m_database;
    const Session& m_session;
};
