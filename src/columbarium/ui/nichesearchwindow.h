#pragma once

#include "foundation/ui/taskwindow.h"
#include "shared/ui/fieldoptions.h"

#include <memory>

namespace Ui {
class FRM_CZJCWZ;
}

// FRM_CZJCWZ "查找寄存位置": the storage registrations whose chosen name or unit holds the text typed;
// "收费明细维护" goes on with the niche of the selected one.
class NicheSearchWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"FRM_CZJCWZ"};

    explicit NicheSearchWindow(AppContext& context, QWidget* parent = nullptr);
    ~NicheSearchWindow() override;

private:
    void search();
    void openFees();

    std::unique_ptr<Ui::FRM_CZJCWZ> m_ui;
    std::unique_ptr<FieldOptions> m_options;
};
