#include "shared/unitinfo.h"

#include "foundation/database.h"

UnitInfo UnitInfo::load(Database& database) {
    QSqlQuery query = database.exec(QStringLiteral("SELECT dwmc, zt, ztdx, ztys, bjt FROM yhxx LIMIT 1"), {},
                                    QStringLiteral("读取单位信息"));
    UnitInfo info;
    if (query.next()) {
        info.unitName = query.value(QStringLiteral("dwmc")).toString();
        info.fontName = query.value(QStringLiteral("zt")).toString();
        info.fontSize = query.value(QStringLiteral("ztdx")).toDouble();
        info.colourName = query.value(QStringLiteral("ztys")).toString();
        info.picturePath = query.value(QStringLiteral("bjt")).toString();
    }
    return info;
}

std::optional<QColor> UnitInfo::colourOf(const QString& colourName) {
    const QString name = colourName.trimmed();
    if (name == QStringLiteral("黑色"))
        return QColor(0, 0, 0);
    if (name == QStringLiteral("白色"))
        return QColor(255, 255, 255);
    if (name == QStringLiteral("蓝色"))
        return QColor(0, 0, 255);
    if (name == QStringLiteral("绿色"))
        return QColor(0, 255, 0);
    if (name == QStringLiteral("红色"))
        return QColor(255, 0, 0);
    if (name == QStringLiteral("黄色"))
        return QColor(255, 255, 0);
    return std::nullopt;
}
