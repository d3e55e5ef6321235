#pragma once

#include "columbarium/storageregistrationservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frmjc_rd;
}

// Frmjc_rd, 寄存入档: the deceased, the contact and the fee of an urn stored in the niche picked in
// the browse window.
class StorageRegistrationWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frmjc_rd"};

    explicit StorageRegistrationWindow(AppContext& context, QWidget* parent = nullptr);
    ~StorageRegistrationWindow() override;

    // Fills the window for the niche in the session; only a new pick does, never coming back to it,
    // so what was typed survives a visit to 物品收费.
    void takeChosenNiche();

private:
    void openItemCharges();
    void save();

    StorageRegistrationService m_service;
    std::unique_ptr<Ui::Frmjc_rd> m_ui;
};
