#pragma once

#include "admin/ui/rightseditorwindow.h"

#include <memory>

namespace Ui {
class report_frm;
}

// report_frm (报表打印设置): the reports an operator may print.
class ReportListEditorWindow : public RightsEditorWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"report_frm"};

    explicit ReportListEditorWindow(AppContext& context, QWidget* parent = nullptr);
    ~ReportListEditorWindow() override;

private:
    std::unique_ptr<Ui::report_frm> m_ui;
};
