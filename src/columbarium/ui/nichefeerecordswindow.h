#pragma once

#include "columbarium/nichefeerecordsservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frmjc_sfwh;
}

// Frmjc_sfwh "寄存收费明细维护": the storage fee rows of one niche with their totals, and the delete of a
// wrong row.
class NicheFeeRecordsWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frmjc_sfwh"};

    explicit NicheFeeRecordsWindow(AppContext& context, QWidget* parent = nullptr);
    ~NicheFeeRecordsWindow() override;

    // Lists the fee rows of the niche found in the storage search.
    void takeChosenNiche();

private:
    void showNiche(const QString& key);
    void showCurrentRow();
    void remove();

    NicheFeeRecordsService m_service;
    QString m_key;
    std::unique_ptr<Ui::Frmjc_sfwh> m_ui;
};
