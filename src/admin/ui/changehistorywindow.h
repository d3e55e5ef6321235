#pragma once

#include "admin/changehistoryservice.h"
#include "foundation/ui/taskwindow.h"

#include <memory>

namespace Ui {
class Frm_czjl;
}

// Frm_czjl: Admin reads who changed what and when, narrowed by dates, operator, table and key. A bulk
// action is one row; a double click shows every position it touched.
class ChangeHistoryWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_czjl", {Placement::Rule::Centred}};

    explicit ChangeHistoryWindow(AppContext& context, QWidget* parent = nullptr);
    ~ChangeHistoryWindow() override;

private:
    void search();
    // The whole list of positions a bulk action touched, which its row shows cut short.
    void showPositions();

    std::unique_ptr<Ui::Frm_czjl> m_ui;
    ChangeHistoryService m_service;
};
