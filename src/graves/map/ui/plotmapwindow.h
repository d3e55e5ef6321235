#pragma once

#include "graves/map/ui/plotchoicewindow.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_gm;
}

// Frm_gm "----选择墓地": the plots of one area as icons by style and state, narrowed by row, style
// or number, with the area's counts. A free plot is picked by double-click or Enter and goes on to
// the choice window frmgm_xz.
class PlotMapWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_gm", {Placement::Rule::FullWidthAtTop}};

    PlotMapWindow(AppContext& context, PlotSaleWindows sale, QWidget* parent = nullptr);
    ~PlotMapWindow() override;

private:
    // The picked plot, when it is free, goes on to the choice window.
    void pick(const QModelIndex& index);
    void printReserved();

    PlotSaleWindows m_sale;
    std::unique_ptr<Ui::Frm_gm> m_ui;
};
