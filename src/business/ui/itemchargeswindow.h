#pragma once

#include "business/itemchargesservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

class QLineEdit;
namespace Ui {
class Frm_mq_qtf;
}

// Frm_mq_qtf: charges a plot for goods and services, with live line totals and grand total.
class ItemChargesWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_mq_qtf"};

    explicit ItemChargesWindow(AppContext& context, QWidget* parent = nullptr);
    ~ItemChargesWindow() override;

    // The opener's plot, contact and registration number.
    void fill(const QString& plotKey, const QString& contact, const QString& number);

private:
    ItemChargeForm form() const;
    void updateTotal();
    void save();

    ItemChargesService m_service;
    std::unique_ptr<Ui::Frm_mq_qtf> m_ui;
    std::array<QLineEdit*, ItemChargeForm::itemCount> m_prices;
    std::array<QLineEdit*, ItemChargeForm::itemCount> m_quantities;
    std::array<QLineEdit*, ItemChargeForm::itemCount> m_lineTotals;
};
