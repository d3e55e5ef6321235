#pragma once

#include "admin/ui/rightseditorwindow.h"

#include <memory>

class QCheckBox;

namespace Ui {
class power_frm;
}

// power_frm (权限管理): an operator's permission string, item by item, with the three record rights of
// the chosen item.
class PermissionEditorWindow : public RightsEditorWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"power_frm"};

    explicit PermissionEditorWindow(AppContext& context, QWidget* parent = nullptr);
    ~PermissionEditorWindow() override;

private:
    void grantChosen(int row) override;
    void setBit(int bit, bool set);

    std::unique_ptr<Ui::power_frm> m_ui;
};
