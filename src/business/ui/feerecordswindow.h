#pragma once

#include "business/feerecordsservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_mqsfjl;
}

// Frm_mqsfjl "墓区收费记录": the fee rows of the plot of the burial management, their receipts again,
// and the delete of a wrong row.
class FeeRecordsWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_mqsfjl"};

    explicit FeeRecordsWindow(AppContext& context, QWidget* parent = nullptr);
    ~FeeRecordsWindow() override;

    // Lists the fee rows of the plot picked on the sold-plot map.
    void takeChosenPurchase();

private:
    void showRows();
    void showCurrentRow();
    std::optional<qint64> currentId() const;
    void reprint();
    void remove();

    FeeRecordsService m_service;
    QString m_key;
    std::unique_ptr<Ui::Frm_mqsfjl> m_ui;
};
