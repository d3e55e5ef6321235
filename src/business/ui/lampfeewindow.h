#pragma once

#include "business/lampfeeservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class cjdd_frm;
}

// cjdd_frm: takes one Spring Festival lamp payment for the plot of the burial management.
class LampFeeWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"cjdd_frm"};

    explicit LampFeeWindow(AppContext& context, QWidget* parent = nullptr);
    ~LampFeeWindow() override;

    // Takes the plot picked on the sold-plot map and proposes its payment; the window keeps this plot
    // until it is opened for another.
    void takeChosenPurchase();

private:
    LampFeeForm form() const;
    void save();

    LampFeeService m_service;
    QString m_key;
    std::unique_ptr<Ui::cjdd_frm> m_ui;
};
