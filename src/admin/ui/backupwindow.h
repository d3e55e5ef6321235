#pragma once

#include "admin/backupservice.h"
#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class copy_frm;
}

// copy_frm: backs the database up to the file named in path_edit, chosen with "..." or typed.
class BackupWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"copy_frm", {Placement::Rule::Centred}};

    explicit BackupWindow(AppContext& context, QWidget* parent = nullptr);
    ~BackupWindow() override;

private:
    void choose();
    void backUp(BackupService::Button button);
    // While the copy is checked the window says so and takes no second backup.
    void setChecking(bool checking);

    std::unique_ptr<Ui::copy_frm> m_ui;
    BackupService m_service;
};
