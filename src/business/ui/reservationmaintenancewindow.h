#pragma once

#include "business/reservationmaintenanceservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>
#include <optional>

namespace Ui {
class Frm_ydwh1;
}

// Frm_ydwh1 "预订维护": the reservation picked on the reserved-plot map. Its contact data and a top-up
// are saved (确定修改), it is cancelled with a refund (取消预订), or its balance is paid through the
// purchase window (交清余款).
class ReservationMaintenanceWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ydwh1", {Placement::Rule::Centred}};

    explicit ReservationMaintenanceWindow(AppContext& context, QWidget* parent = nullptr);
    ~ReservationMaintenanceWindow() override;

    // Reads the reservation picked on the map, by its id, into the window; a reservation that is gone
    // meanwhile is told and the window closes.
    void takeChosenReservation();

private:
    MaintenanceForm form() const;
    void showTopUp();
    void save();
    void cancel();
    void settle();

    ReservationMaintenanceService m_service;
    std::optional<Reservation> m_reservation; // as read, the base of every top-up
    std::unique_ptr<Ui::Frm_ydwh1> m_ui;
};
