#pragma once

#include "graves/map/salesrestrictionservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_gmcontrol;
}

// Frm_gmcontrol "----销售控制": the free and withheld plots of an area, a row, one number or a
// range of numbers; "控制销售" withholds the free ones shown from sale, "解除控制" releases them.
class SalesRestrictionWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_gmcontrol", {Placement::Rule::FullWidthAtTop}};

    explicit SalesRestrictionWindow(AppContext& context, QWidget* parent = nullptr);
    ~SalesRestrictionWindow() override;

private:
    std::optional<MapFilter> selection() const;
    // Tells the outcome and, when something changed, shows the plots with their new states.
    void apply(const SaveOutcome& outcome);

    SalesRestrictionService m_service;
    std::unique_ptr<Ui::Frm_gmcontrol> m_ui;
};
