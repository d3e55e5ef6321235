#include "business/burialhubservice.h"

#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/sqlliteral.h"

QString BurialHubPlot::summary() const {
    if (buried == 0)
        return QStringLiteral("墓碑位置：") + key + QStringLiteral("  此墓无人落葬");
    return QStringLiteral("墓碑位置：") + key + QStringLiteral("  此墓落葬人数：") + QString::number(buried);
}

BurialHubService::BurialHubService(Database& database, const Clock& clock)
    : m_database(database),
      m_memos(database, clock,
              {QStringLiteral("mq_bwl"), QStringLiteral("墓碑位置"), QStringLiteral("登记时间"),
               QStringLiteral("内容"), QStringLiteral("你确信要删除记录id: %1 的记录么？")}) {}

std::optional<BurialHubPlot> BurialHubService::load(const QString& key) {
    QSqlQuery query = m_database.exec(
        QStringLiteral("SELECT rid, 墓碑位置, 联系人, 编号, 故者姓名, "
                       "(SELECT COUNT(*) FROM gm_dj AS a WHERE a.墓碑位置 = d.墓碑位置) AS 行数 "
                       "FROM gm_dj AS d WHERE 墓碑位置 = ? ORDER BY rid LIMIT 1"),
        {key}, QStringLiteral("读取落葬管理的墓位"));
    if (!query.next())
        return std::nullopt;
    BurialHubPlot plot;
    plot.firstRow = query.value(QStringLiteral("rid")).toLongLong();
    plot.key = query.value(QStringLiteral("墓碑位置")).toString();
    plot.contact = query.value(QStringLiteral("联系人")).toString();
    plot.number = ColumnText::plain(query.value(QStringLiteral("编号")));
    plot.buried = query.value(QStringLiteral("故者姓名")).isNull()
                      ? 0
                      : query.value(QStringLiteral("行数")).toLongLong();
    return plot;
}

QList<PrintJob> BurialHubService::certificateReprint(const BurialHubPlot& plot) {
    PrintJob certificate{QStringLiteral("gz        "), QStringLiteral("gz"),
                         QStringLiteral("select * from gm_dj where rid=") + QString::number(plot.firstRow),
                         std::nullopt};
    PrintJob contactSheet{QStringLiteral("lxr       "), QStringLiteral("lxr"),
                          QStringLiteral("select  * from gm_dj where 墓碑位置=") + SqlLiteral::text(plot.key),
                          std::nullopt};
    // The reprint asks only for the report list, not the print right.
    certificate.ignoresPrintFlag = contactSheet.ignoresPrintFlag = true;
    return {certificate, contactSheet};
}
