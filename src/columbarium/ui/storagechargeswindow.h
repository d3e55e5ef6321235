#pragma once

#include "columbarium/storagechargesservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

class QLineEdit;
namespace Ui {
class Frm_jc_qtf;
}

// Frm_jc_qtf, 寄存用品收费: charges a niche for goods, with live line totals and grand total.
class StorageChargesWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_jc_qtf"};

    explicit StorageChargesWindow(AppContext& context, QWidget* parent = nullptr);
    ~StorageChargesWindow() override;

    // The registration's niche and contact.
    void fill(const QString& nicheKey, const QString& contact);

private:
    StorageChargeForm form() const;
    void updateTotal();
    void save();

    StorageChargesService m_service;
    std::unique_ptr<Ui::Frm_jc_qtf> m_ui;
    std::array<QLineEdit*, StorageChargeForm::itemCount> m_prices;
    std::array<QLineEdit*, StorageChargeForm::itemCount> m_quantities;
};
