#pragma once

#include "foundation/guardedupdate.h"
#include "foundation/saveoutcome.h"

#include <QList>
#include <QStringList>

class Database;

// The permission string as the editor keeps it: one hexadecimal digit per item, always forty.
namespace PermissionText {

// A Null, short or odd text read as forty digits ("0" where it says nothing).
QString normalised(const QString& stored);
// The items whose digit is not "0", in item order.
QList<int> grantedItems(const QString& permissions);
// `item` (1-based) with all three record rights ("f"), or taken away ("0").
QString granted(const QString& permissions, int item);
QString revoked(const QString& permissions, int item);
// Every item not yet granted gets "f"; granted ones keep their digit.
QString allGranted(const QString& permissions);
// Sets or clears one bit (2 add, 4 modify, 8 delete) of an item's digit, written in upper case.
QString withBit(const QString& permissions, int item, int bit, bool set);

} // namespace PermissionText

// The report list as the editor keeps it: ",name," for every report, in the order added.
namespace ReportListText {

// Indexes into the report catalogue of the reports the list names, in catalogue order.
QList<int> grantedReports(const QString& reportList);
QString added(const QString& reportList, const QString& name);
// Takes out exactly `name` (with both commas), never a longer name containing it.
QString removed(const QString& reportList, const QString& name);

} // namespace ReportListText

// The refusal when the operator being changed was removed meanwhile (at another desk).
inline Message operatorGone() {
    return notice(QStringLiteral("此管理员已不存在！"));
}

// The refusal when another desk changed the text the editor shows.
inline Message rightsChanged() {
    return notice(GuardedUpdate::staleText());
}

// Every operator, salesmen included, in the order they were entered.
QStringList allOperators(Database& database);

// Reads and writes one of an operator's two rights texts, 权限字符 or 打印报表, for its editor. A
// change counts from the operator's next login.
class RightsEditorService {
public:
    RightsEditorService(Database& database, const QString& column) : m_database(database), m_column(column) {}

    QString text(const QString& operatorName);
    // Writes `value` over `loaded`, the text the editor read, while the operator's row still holds it:
    // Stale when another desk changed it meanwhile, Gone when the operator was removed.
    GuardedUpdate::Result save(const QString& operatorName, const QString& loaded, const QString& value);

private:
    Database& m_database;
    QString m_column;
};
