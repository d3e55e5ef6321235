#pragma once

#include "business/burialservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_lz;
}

// Frm_lz "落葬": registers one deceased on the sold plot picked on the sold-plot map, changes the
// plot's use period and prints the certificate. A registered burial closes the burial management
// window with it.
class BurialWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_lz", {Placement::Rule::Centred}};

    explicit BurialWindow(AppContext& context, QWidget* parent = nullptr);
    ~BurialWindow() override;

    // Fills the window from the chosen plot's registration, with an empty deceased part. Called when
    // the window is opened for a pick, so that what was typed survives a visit to another window.
    void takeChosenPurchase();

private:
    BurialForm form() const;
    void openItemCharges();
    void changeUseDates();
    void save();

    BurialService m_service;
    // The registration the window was filled with, moved on by its own change of the use period.
    PlotRegistration m_loaded;
    std::unique_ptr<Ui::Frm_lz> m_ui;
};
