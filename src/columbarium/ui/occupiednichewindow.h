#pragma once

#include "columbarium/ui/nichelistwindow.h"

#include <memory>

namespace Ui {
class Frmjc_wh;
}

// Frmjc_wh, 寄存维护位置选择: the occupied niches of a hall and room as icons; picking one keeps it as
// the session's occupied niche and opens its options.
class OccupiedNicheWindow : public NicheListWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frmjc_wh", {Placement::Rule::FullWidthAtTop}};

    explicit OccupiedNicheWindow(AppContext& context, QWidget* parent = nullptr);
    ~OccupiedNicheWindow() override;

private:
    void pick(const QString& key) override;

    std::unique_ptr<Ui::Frmjc_wh> m_ui;
};
