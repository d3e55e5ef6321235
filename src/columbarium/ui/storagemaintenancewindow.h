#pragma once

#include "columbarium/storagemaintenanceservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>
#include <optional>

namespace Ui {
class Frm_ghjc_wh;
}

// Frm_ghjc_wh, 寄存记录维护: the storage of one niche edited, renewed or cancelled. The line-number box
// "续存记录打印到第…行" is kept as the office knows it; no action reads it.
class StorageMaintenanceWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ghjc_wh"};

    explicit StorageMaintenanceWindow(AppContext& context, QWidget* parent = nullptr);
    ~StorageMaintenanceWindow() override;

    // Fills the window from the niche's register row when it is opened for a niche it does not show
    // yet; coming back to it keeps what was typed. A storage gone meanwhile is told and the window closes.
    void takeNiche(const ChosenNiche& niche);

private:
    void save();
    void renew();
    void cancel();

    StorageMaintenanceService m_service;
    std::unique_ptr<Ui::Frm_ghjc_wh> m_ui;
    std::optional<LoadedStorage> m_loaded;
};
