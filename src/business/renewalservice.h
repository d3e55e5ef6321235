#pragma once

#include "foundation/servicecontext.h"

#include "foundation/saveoutcome.h"

#include <QDate>
#include <QString>
#include <optional>

class Clock;
class Database;
struct Session;

// What the renewal window shows of a sold plot: its list prices (the base of the management fee)
// and its first registration.
struct RenewalSheet {
    QString key;
    double land = 0;   // mq_wz 墓地费 -> Mask5
    double stone = 0;  // 墓碑费 -> Mask6
    double family = 0; // 家族费 -> Mask7
    double labour = 0; // 工料费 -> Mask8
    double other = 0;  // 其它 -> Mask10
    QString contact, workUnit, address, phone, idNumber, stoneType, mainStone;
    QDate boughtOn, useFrom, useUntil;
};

// The fee fields of the renewal window as typed.
struct RenewalFeeTexts {
    QString land, stone, family, labour, other, ratePercent, extra;
};

struct RenewalTotals {
    double management = 0; // Text2
    double total = 0;      // Text3
};

// What the renewal window holds when 确定输入 is clicked.
struct RenewalForm {
    QString plotKey;
    QDate useUntil;     // DTP2, the new end of use
    QString contact;    // Mask1
    QString workUnit;   // Mask2
    QString management; // Text2 as shown (the operator may have typed over it)
    QString extraName;  // MaskE1
    QString extra;      // MaskE2
    QString remark;     // Mask11
    // The stored end the window was filled with: when another desk renewed since, this renewal is
    // refused rather than charged a second time. Not set: renewed from whatever end is stored.
    QDate shownUntil;
};

// The renewal of a sold plot: a new end of use on every registration row of the plot and the
// "加续费" fee row, then the renewal receipt and the certificate fee slip.
class RenewalService {
public:
    explicit RenewalService(const ServiceContext& context);

    // The plot and its first registration row; nothing when the plot has no registration.
    std::optional<RenewalSheet> load(const QString& key);

    // The management fee is the rate on the list prices and the extra item together, so every field
    // of that base recomputes it, whatever order they are typed in; the total adds the extra item.
    static RenewalTotals computeFees(const RenewalFeeTexts& fees);
    // The total with a management fee typed over the computed one.
    static double totalWith(const QString& typedManagement, const QString& extra);

    // Checks in the office's order (management fee, new end of use, remark). The current end of use is
    // read inside the transaction, while the plot is still sold, so a stale window cannot shorten it.
    SaveOutcome save(const RenewalForm& form);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
