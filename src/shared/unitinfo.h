#pragma once

#include <QColor>
#include <QString>
#include <optional>

class Database;

// The unit's display settings: the one row of yhxx.
struct UnitInfo {
    QString unitName;
    QString fontName;
    double fontSize = 0;
    QString colourName;
    QString picturePath;

    // Reads the row; an empty table gives empty settings.
    static UnitInfo load(Database& database);
    // "黑色", "白色", "蓝色", "绿色", "红色", "黄色"; any other name leaves the colour as it was.
    static std::optional<QColor> colourOf(const QString& colourName);
};
