#pragma once

#include "business/gravereturnservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_tmtf;
}

// Frm_tmtf "退墓退费": takes the sold plot picked on the map back, refunding what the operator enters
// (prefilled with what was paid), and prints the refund receipt.
class GraveReturnWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_tmtf", {Placement::Rule::Centred}};

    explicit GraveReturnWindow(AppContext& context, QWidget* parent = nullptr);
    ~GraveReturnWindow() override;

    // Reads the plot of the chosen purchase, its registration and what was paid into the window;
    // brought back for the same plot it keeps what was typed. A plot without a registration is told
    // and closes it.
    void takeChosenPurchase();

private:
    // After a return nothing of the plot is left to show: its map, the burial management window and
    // every window opened from it close.
    void closePlotWindows();
    PurchaseFeeTexts refund() const;
    void showTotals(const FeeTotals& totals);
    void save();

    GraveReturnService m_service;
    std::unique_ptr<Ui::Frm_tmtf> m_ui;
    QDate m_shownUntil; // the end of use the window was filled with
};
