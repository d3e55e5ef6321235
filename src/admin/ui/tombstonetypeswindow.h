#pragma once

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frmbxwh;
}

// Frmbxwh (碑型维护): the tombstone types offered by the registration windows.
class TombstoneTypesWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frmbxwh"};

    explicit TombstoneTypesWindow(AppContext& context, QWidget* parent = nullptr);
    ~TombstoneTypesWindow() override;

private:
    std::unique_ptr<Ui::Frmbxwh> m_ui;
};
