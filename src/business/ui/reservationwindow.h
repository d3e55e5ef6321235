#pragma once

#include "business/reservationservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_ydmd;
}

// Frm_ydmd "预订墓地": reserves the plot picked on the map for a customer who pays part of the
// agreed price in advance.
class ReservationWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ydmd", {Placement::Rule::Centred}};

    explicit ReservationWindow(AppContext& context, QWidget* parent = nullptr);
    ~ReservationWindow() override;

    // Takes the key of the plot chosen on the map; called when opened or brought back for a pick.
    void takeChosenPlot();

private:
    ReservationForm form() const;
    void save();

    ReservationService m_service;
    std::unique_ptr<Ui::Frm_ydmd> m_ui;
};
