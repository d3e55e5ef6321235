#pragma once

#include "foundation/ui/taskwindow.h"
#include "shared/ui/fieldoptions.h"

#include <memory>

namespace Ui {
class Frm_czmd;
}

// Frm_czmd "查找墓地": the purchased plots or the reservations, all of them or those whose chosen field
// matches the text typed, and how many.
class PlotSearchWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_czmd"};

    explicit PlotSearchWindow(AppContext& context, QWidget* parent = nullptr);
    ~PlotSearchWindow() override;

private:
    bool purchases() const;
    // Each book shows its own options and all its rows; the typed text stays.
    void showBook();
    void search();
    void showRows(const BoundQuery& query);

    std::unique_ptr<Ui::Frm_czmd> m_ui;
    std::unique_ptr<FieldOptions> m_purchaseOptions;
    std::unique_ptr<FieldOptions> m_reservationOptions;
};
