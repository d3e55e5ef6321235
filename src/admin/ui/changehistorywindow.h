#pragma once

#include "admin/changehistoryservice.h"
#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_czjl;
}

// Frm_czjl: Admin reads who changed what and when, narrowed by dates, operator, table and key.
class ChangeHistoryWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_czjl", {Placement::Rule::Centred}};

    explicit ChangeHistoryWindow(AppContext& context, QWidget* parent = nullptr);
    ~ChangeHistoryWindow() override;

private:
    void search();

    std::unique_ptr<Ui::Frm_czjl> m_ui;
    ChangeHistoryService m_service;
};
