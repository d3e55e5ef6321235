#pragma once

#include "foundation/ui/taskwindow.h"

#include <functional>
#include <memory>

namespace Ui {
class frmgm_xz;
}

// The windows a picked plot goes on to. They belong to the grave business, so the program's
// wiring supplies them.
struct PlotSaleWindows {
    std::function<void()> reserve;
    std::function<void()> buy;
};

// frmgm_xz "购墓方式": shows the chosen plot with its style and six prices and goes on to reserve it
// (item 28) or to buy it directly (item 29).
class PlotChoiceWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"frmgm_xz"};

    PlotChoiceWindow(AppContext& context, PlotSaleWindows sale, QWidget* parent = nullptr);
    ~PlotChoiceWindow() override;

    // Shows the chosen plot of the session (again after a new pick).
    void showChosenPlot();

private:
    void goOn(int item, const std::function<void()>& open);

    PlotSaleWindows m_sale;
    std::unique_ptr<Ui::frmgm_xz> m_ui;
};
