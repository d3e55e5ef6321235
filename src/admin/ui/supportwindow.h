#pragma once

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_jszc;
}

// Frm_jszc (技术支持): where to turn for help, and the legal notice.
class SupportWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_jszc", {}, true};

    explicit SupportWindow(AppContext& context, QWidget* parent = nullptr);
    ~SupportWindow() override;

private:
    std::unique_ptr<Ui::Frm_jszc> m_ui;
};
