#pragma once

#include "reservationservice.h"

#include <QWidget>
#include <memory>

struct AppContext;
namespace Ui {
class Frm_ydmd;
}

// Frm_ydmd "预订墓地": reserves the plot picked on the map for a customer who pays part of the
// agreed price in advance.
class ReservationWindow : public QWidget {
    Q_OBJECT
public:
    explicit ReservationWindow(AppContext& context, QWidget* parent = nullptr);
    ~ReservationWindow() override;

    // Opens the window for the plot chosen on the map, or brings it back for a new pick.
    static ReservationWindow* openForChosenPlot(AppContext& context);

signals:
    // The reservation is saved: the map's icons no longer tell the truth.
    void saved();

private:
    ReservationForm form() const;
    void save();

    AppContext& m_context;
    ReservationService m_service;
    std::unique_ptr<Ui::Frm_ydmd> m_ui;
};
