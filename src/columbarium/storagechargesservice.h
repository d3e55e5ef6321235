#pragma once

#include "foundation/servicecontext.h"

#include "foundation/saveoutcome.h"

#include <QString>
#include <array>

class Clock;
class Database;
struct Session;

// What the operator typed into the columbarium item-charges window Frm_jc_qtf, as texts.
struct StorageChargeForm {
    static constexpr int itemCount = 4;
    QString nicheKey; // MaskWZ
    QString contact;  // MaskLXR
    // 寄存证, 保护剂 (kept as 香币), 小牌位, 瓷像
    std::array<QString, itemCount> unitPrices;
    std::array<QString, itemCount> quantities;
    QString layerFee; // Mask5 层次费
    QString otherFee; // Mask6 其它费
};

// One sale of goods for a niche: one GHJC_XF2 row and its receipt.
class StorageChargesService {
public:
    explicit StorageChargesService(const ServiceContext& context);

    static double grandTotal(const StorageChargeForm& form);
    // Checks in the office's order (add right, total, position, contact), then writes the row.
    SaveOutcome save(const StorageChargeForm& form);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
