#pragma once

#include "business/purchaseservice.h"
#include "business/reservationmaintenanceservice.h"

#include "foundation/ui/taskwindow.h"

#include <QHash>
#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
namespace Ui {
class Frm_gm_blz;
}

// Frm_gm_blz "购墓": registers the sale of the plot picked on the map, with its buyer, use period,
// stones and fees (totals follow each keystroke), then prints the contact sheet and the receipt.
// Titled "交清余款" it sells a reserved plot to its customer, who pays the balance.
class PurchaseWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_gm_blz", {Placement::Rule::Centred}};
    // Opened to settle a reservation, the form sits 400 twips left of centre.
    static constexpr Placement settlementPlacement{Placement::Rule::Centred, 400};

    explicit PurchaseWindow(AppContext& context, QWidget* parent = nullptr);
    ~PurchaseWindow() override;

    // Takes the plot chosen on the map into the window for a sale: its key and its list prices above
    // zero. Called when the window is opened for a pick or brought back for a new one.
    void takeChosenPlot();
    // 交清余款: takes the reserved plot (its own key, style and list prices) and the reservation's
    // customer into the window. Once the sale went through, the reservation's window and the
    // reserved-plot map close with it.
    void settleReservation(const ChosenPlot& plot, const Reservation& reservation);

private:
    void showPlot(const ChosenPlot& plot);
    // Every field as a new window shows it.
    void startFresh();
    void loadReferenceLists();
    void learnWhenLeft(QComboBox* combo, PurchaseService::StoneList list);
    PurchaseFeeTexts fees() const;
    // Shows the subtotal and the total; the management fee field is written only by a change of the
    // fees it is computed from, never while the operator types in it.
    void showTotals(const FeeTotals& totals);
    PurchaseForm form() const;
    void openItemCharges();
    void save();

    PurchaseService m_service;
    std::optional<qint64> m_settling; // the reservation's id while the window settles one
    std::unique_ptr<Ui::Frm_gm_blz> m_ui;
    QHash<QLineEdit*, QString> m_freshTexts; // what each text field held when the window opened
};
