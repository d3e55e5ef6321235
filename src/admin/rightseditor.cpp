#include "admin/rightseditor.h"

#include "foundation/database.h"
#include "shared/rights.h"

namespace PermissionText {

QString normalised(const QString& stored) {
    QString digits;
    for (int item = 1; item <= Item::Count; ++item)
        digits += Rights::permissionDigit(stored, item) == 0 ? QLatin1Char('0') : stored.at(item - 1);
    return digits;
}

QList<int> grantedItems(const QString& permissions) {
    QList<int> items;
    for (int item = 1; item <= Item::Count; ++item)
        if (Rights::permissionDigit(permissions, item) != 0)
            items << item;
    return items;
}

namespace {

QString withDigit(const QString& permissions, int item, int digit, bool upperCase = false) {
    QString digits = normalised(permissions);
    const QString written = QString::number(digit, 16);
    digits[item - 1] = (upperCase ? written.toUpper() : written).at(0);
    return digits;
}

} // namespace

QString granted(const QString& permissions, int item) {
    return withDigit(permissions, item, 0xf);
}

QString revoked(const QString& permissions, int item) {
    return withDigit(permissions, item, 0);
}

QString allGranted(const QString& permissions) {
    QString digits = normalised(permissions);
    for (QChar& digit : digits)
        if (digit == QLatin1Char('0'))
            digit = QLatin1Char('f');
    return digits;
}

QString withBit(const QString& permissions, int item, int bit, bool set) {
    const int digit = Rights::permissionDigit(permissions, item);
    return withDigit(permissions, item, set ? digit | bit : digit & ~bit, true);
}

} // namespace PermissionText

namespace ReportListText {

namespace {
QString between(const QString& name) {
    return QLatin1Char(',') + name + QLatin1Char(',');
}
} // namespace

QList<int> grantedReports(const QString& reportList) {
    QList<int> indexes;
    const auto& catalogue = Rights::reportCatalogue();
    for (int i = 0; i < catalogue.size(); ++i)
        if (Rights::reportListAllows(reportList, catalogue.at(i).name))
            indexes << i;
    return indexes;
}

QString added(const QString& reportList, const QString& name) {
    return reportList + between(name);
}

QString removed(const QString& reportList, const QString& name) {
    const auto at = reportList.indexOf(between(name));
    if (at < 0)
        return reportList;
    // The comma before the name stays, as a following name may lean on it.
    return reportList.left(at + 1) + reportList.mid(at + between(name).size());
}

} // namespace ReportListText

QStringList allOperators(Database& database) {
    return database.texts(QStringLiteral("SELECT 操作员 FROM czy ORDER BY rid"), {},
                          QStringLiteral("读取操作员列表"));
}

QString RightsEditorService::text(const QString& operatorName) {
    return m_database
        .scalar(QStringLiteral("SELECT %1 FROM czy WHERE 操作员 = ?").arg(m_column), {operatorName},
                QStringLiteral("读取操作员权限"))
        .toString();
}

GuardedUpdate::Result RightsEditorService::save(const QString& operatorName, const QString& loaded,
                                                const QString& value) {
    return m_database.transaction([&] {
        return GuardedUpdate(m_database, QStringLiteral("czy"), QStringLiteral("操作员 = ?"), {operatorName})
            .edit(m_column, loaded, value)
            .run(QStringLiteral("保存操作员权限"));
    });
}
