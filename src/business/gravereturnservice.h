#pragma once

#include "foundation/servicecontext.h"

#include "business/purchaseservice.h"
#include "foundation/saveoutcome.h"

#include <QDate>
#include <QString>
#include <optional>

class Clock;
class Database;
class Prompter;
struct Session;

// What was paid for the plot, from its last "购墓" fee row: the refund starts from it.
struct PaidForPlot {
    double land = 0, stone = 0, family = 0, labour = 0, other = 0, greening = 0, management = 0;
};

// What the return window shows of a sold plot: its first registration and what was paid.
struct ReturnSheet {
    QString key;
    QDate useFrom, useUntil;
    QString contact, workUnit, phone;
    std::optional<PaidForPlot> paid; // nothing when the plot has no purchase fee row
};

// What the return window holds when 确定以上输入 is clicked. The refund amounts use the purchase's
// fee fields (墓地费, 墓碑费, 家庭墓费, 工料费, 绿化费, 其它费 and the rate) without a further charge.
struct ReturnForm {
    QString plotKey;  // Mask_mbwz
    QString contact;  // Text1
    QString workUnit; // Text2
    QString phone;    // Text3
    PurchaseFeeTexts refund;
    QString management; // Mask_gl as shown (the operator may have typed over it)
    QString remark;     // Mask_bz
    // The end of use the window was filled with: when another desk renewed since, the refund typed
    // here leaves out what was just paid, so the return is refused. Not set: not compared.
    QDate shownUntil;
};

// The return of a sold plot: after a question, in one transaction, the plot's registrations, fee rows
// and name slots go, the plot is free again and the refund is recorded in mq_tm; then its receipt.
class GraveReturnService {
public:
    explicit GraveReturnService(const ServiceContext& context);

    // The plot's first registration and its last purchase fee row; nothing when it has no registration.
    std::optional<ReturnSheet> load(const QString& key);

    // The add right, then the question; "否" writes nothing. The plot must still be sold inside the
    // transaction, so a second click or desk cannot record a second refund.
    SaveOutcome save(const ReturnForm& form, Prompter& prompter);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
