#include "business/registerrows.h"

#include "foundation/database.h"

namespace RegisterRows {

std::optional<StoredRow> read(Database& database, const QString& key, Which which, const QStringList& columns,
                              const QString& doing) {
    const QString condition =
        which == Which::FirstBuried ? QStringLiteral(" AND 故者姓名 IS NOT NULL") : QString();
    const QString order = which == Which::Last ? QStringLiteral("DESC") : QStringLiteral("ASC");
    return database.row(QStringLiteral("SELECT %1 FROM gm_dj WHERE 墓碑位置 = ?%2 ORDER BY rid %3 LIMIT 1")
                            .arg(columns.join(QStringLiteral(", ")), condition, order),
                        {key}, doing);
}

} // namespace RegisterRows
