#pragma once

#include "foundation/ui/taskwindow.h"
#include "statistics/chargereports.h"

#include <memory>

class QRadioButton;

namespace Ui {
class ChargeReportForm;
}

// The charge statistics: one money report of a period, chosen by an option, printed by pelu-print.
class ChargeReportWindow : public TaskWindow {
    Q_OBJECT
public:
    ~ChargeReportWindow() override;

protected:
    ChargeReportWindow(AppContext& context, const char* name, const QString& title,
                       const QString& choicesCaption, const QList<ChargeReport>& reports, QWidget* parent);

private:
    void print();

    std::unique_ptr<Ui::ChargeReportForm> m_ui;
    const QList<ChargeReport>& m_reports;
    QList<QRadioButton*> m_options;
};

// Frm_gm_tj: the cemetery's sales, renewals, refunds and item charges.
class CemeteryChargeWindow final : public ChargeReportWindow {
public:
    static constexpr TaskWindowTraits traits{"Frm_gm_tj"};
    explicit CemeteryChargeWindow(AppContext& context, QWidget* parent = nullptr);
};

// FRM_JCTJ: the columbarium's storages, renewals, item charges and refunds.
class ColumbariumChargeWindow final : public ChargeReportWindow {
public:
    static constexpr TaskWindowTraits traits{"FRM_JCTJ"};
    explicit ColumbariumChargeWindow(AppContext& context, QWidget* parent = nullptr);
};
