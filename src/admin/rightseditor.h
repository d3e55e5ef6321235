#pragma once

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

// Reads and writes an operator's permission string and report list for the two editors. A change
// counts from the operator's next login.
class RightsEditorService {
public:
    explicit RightsEditorService(Database& database) : m_database(database) {}

    QStringList operators();
    QString permissions(const QString& operatorName);
    QString reportList(const QString& operatorName);
    // Returns false when the operator has gone meanwhile.
    bool savePermissions(const QString& operatorName, const QString& permissions);
    bool saveReportList(const QString& operatorName, const QString& reportList);

private:
    QString column(const QString& operatorName, const QString& name);
    bool save(const QString& operatorName, const QString& name, const QString& value);

    Database& m_database;
};
