#pragma once

#include "foundation/servicecontext.h"

#include "foundation/saveoutcome.h"
#include "shared/session.h"

#include <QString>
#include <optional>

class Clock;
class Database;

// One reservation (a ydmd row) as the maintenance and purchase windows use it.
struct Reservation {
    qint64 id = 0;
    QString key;        // 墓碑位置
    double prepaid = 0; // 预交金额, received so far
    double balance = 0; // 余额, still to pay
    QString number;     // 编号 as text, empty when there is none
    QString idNumber;   // 身份证号
    QString contact;    // 联系人
    QString address;    // 家庭住址
    QString phone;      // 联系电话
    QString workUnit;   // 工作单位
};

// What the maintenance window Frm_ydwh1 holds, as typed.
struct MaintenanceForm {
    QString received; // Mask1 已收金额
    QString contact;  // Mask2
    QString address;  // Mask3
    QString phone;    // Mask4
    QString workUnit; // Mask5
    QString topUp;    // Mask6 补交金额
    QString balance;  // Mask7 余额
};

// The amounts a top-up leaves on screen.
struct TopUp {
    double received = 0;
    double balance = 0;
};

// The reserved plot handed to the purchase window for 交清余款, or why it cannot be.
struct Settlement {
    std::optional<Message> refusal;
    ChosenPlot plot;
};

// The life of a reservation after it was made: its contact data and top-up payments, its
// cancellation with a refund, and the hand-over of its plot for settling the balance.
class ReservationMaintenanceService {
public:
    explicit ReservationMaintenanceService(const ServiceContext& context);

    // The reservation with this id; nothing when it is gone.
    std::optional<Reservation> load(qint64 id);

    // The amounts after a top-up, always from the loaded ones: a top-up that is empty, not a number or
    // not above zero counts as 0, so money is never shown or stored that was not received.
    static TopUp topUp(const Reservation& loaded, const QString& typedTopUp);

    // 确定修改: checks in the office's order (add right, received amount, contact), then updates the
    // reservation by its id, after making sure it is still there and its plot still reserved. The top-up
    // is added to the stored amounts; the contact and an amount typed over the one shown are written
    // only where changed, and refused when another desk changed them since `loaded`.
    SaveOutcome save(const Reservation& loaded, const MaintenanceForm& form);

    // 取消预订: the delete right, the question, then the refund asked for in an input box. A blank answer
    // or Cancel stops silently; anything but an amount of 0 or more is refused. Then, in one
    // transaction, the refund row, the reservation deleted and the plot free again.
    SaveOutcome cancel(const Reservation& loaded, const MaintenanceForm& form, Prompter& prompter);

    // 交清余款: the reserved plot's own key, style and list prices, read from its row, while the
    // reservation and its plot are still as the window showed them.
    Settlement settlement(const Reservation& loaded);

private:
    Database& m_database;
    const Session& m_session;
    const Clock& m_clock;
};
