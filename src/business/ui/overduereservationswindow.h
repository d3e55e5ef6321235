#pragma once

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_ydwkgq;
}

// Frm_ydwkgq: every reservation whose payment was due today or earlier.
class OverdueReservationsWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ydwkgq"};

    explicit OverdueReservationsWindow(AppContext& context, QWidget* parent = nullptr);
    ~OverdueReservationsWindow() override;

private:
    std::unique_ptr<Ui::Frm_ydwkgq> m_ui;
};
