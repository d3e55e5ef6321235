#pragma once

#include "business/renewalservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_jxf;
}

// Frm_jxf "加续费": renews the right of use of the sold plot picked on the map, charging a management
// fee on its list prices plus an extra item (totals follow each keystroke). A saved renewal closes
// the burial management window with it.
class RenewalWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_jxf", {Placement::Rule::Centred}};

    explicit RenewalWindow(AppContext& context, QWidget* parent = nullptr);
    ~RenewalWindow() override;

    // Reads the plot of the chosen purchase and its first registration into the window; brought back
    // for the same plot it keeps what was typed. A plot without a registration is told and closes it.
    void takeChosenPurchase();

private:
    RenewalFeeTexts fees() const;
    void save();

    RenewalService m_service;
    QString m_key; // the plot the window was opened for
    QDate m_shownUntil;
    std::unique_ptr<Ui::Frm_jxf> m_ui;
};
