#pragma once

#include "foundation/servicecontext.h"

#include "foundation/saveoutcome.h"

#include <QString>
#include <array>
#include <optional>

class Clock;
class Database;
struct Session;

// What the operator typed into the cemetery item-charges window, as texts.
struct ItemChargeForm {
    static constexpr int itemCount = 6;
    QString plotKey;
    QString contact;
    QString number;
    // 公墓证, 香币, 塑料袋, 瓷像, 刻字, 镏金
    std::array<QString, itemCount> unitPrices;
    std::array<QString, itemCount> quantities;
    QString construction;  // 施工
    QString luckyNumber;   // 吉祥号
    QString jointBurial;   // 合墓
    QString transport;     // 外运
    QString reburial;      // 二次安葬
    QString vehicle;       // 车费
    QString specialRepair; // 特修
    QString furtherName;   // QT
    QString furtherAmount; // QTF
};

// One sale of goods and services for a plot: one gm_qtf row and its receipt.
class ItemChargesService {
public:
    explicit ItemChargesService(const ServiceContext& context);

    static double grandTotal(const ItemChargeForm& form);

    // Checks in the office's order (add right, total, position, contact), then writes the row.
    SaveOutcome save(const ItemChargeForm& form);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
