#pragma once

#include "foundation/saveoutcome.h"
#include "shared/unitinfo.h"

class Database;

// The 显示信息 dialog as typed.
struct UnitInfoForm {
    QString unitName;
    QString fontName;
    QString fontSize; // as typed; anything but a positive number keeps the size stored
    QString colourName;
    QString picturePath;
};

// Writes the one row of yhxx (making it when the table is empty).
class UnitInfoService {
public:
    explicit UnitInfoService(Database& database) : m_database(database) {}

    UnitInfo load();
    SaveOutcome save(const UnitInfoForm& form);
    // 默认背景: back to the built-in picture.
    void restoreDefaultBackground();

private:
    // Runs `write` on the row, making the row first when there is none, in one transaction.
    void writeRow(const std::function<void()>& write);

    Database& m_database;
};
