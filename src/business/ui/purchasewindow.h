#pragma once

#include "purchaseservice.h"

#include <QWidget>
#include <memory>

struct AppContext;
class QComboBox;
namespace Ui {
class Frm_gm_blz;
}

// Frm_gm_blz "购墓": registers the sale of the plot picked on the map, with its buyer, use period,
// stones and fees (totals follow each keystroke), then prints the contact sheet and the receipt.
class PurchaseWindow : public QWidget {
    Q_OBJECT
public:
    explicit PurchaseWindow(AppContext& context, QWidget* parent = nullptr);
    ~PurchaseWindow() override;

    // Opens the window for the plot chosen on the map, or brings it back for a new pick; either
    // way the plot's key and its list prices above zero are taken into the window.
    static PurchaseWindow* openForChosenPlot(AppContext& context);

signals:
    // The sale is saved: the map's icons no longer tell the truth.
    void saved();

private:
    void takeChosenPlot();
    void loadReferenceLists();
    void learnWhenLeft(QComboBox* combo, PurchaseService::StoneList list);
    PurchaseFees fees() const;
    // Shows the subtotal and the total; the management fee field is written only by a change of the
    // fees it is computed from, never while the operator types in it.
    void showTotals(const FeeTotals& totals);
    PurchaseForm form() const;
    void openItemCharges();
    void save();

    AppContext& m_context;
    PurchaseService m_service;
    std::unique_ptr<Ui::Frm_gm_blz> m_ui;
};
