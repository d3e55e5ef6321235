#pragma once

#include "columbarium/ui/nichelistwindow.h"

#include <memory>

namespace Ui {
class Frm_bljc;
}

// Frm_bljc, 寄存登记: the free niches of a hall and room as icons, narrowed to a layer or a number;
// picking one opens the registration for it.
class NicheBrowseWindow : public NicheListWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_bljc", {Placement::Rule::FullWidthAtTop}};

    explicit NicheBrowseWindow(AppContext& context, QWidget* parent = nullptr);
    ~NicheBrowseWindow() override;

private:
    // Asks before the niche is taken for a storage.
    void pick(const QString& key) override;

    std::unique_ptr<Ui::Frm_bljc> m_ui;
};
