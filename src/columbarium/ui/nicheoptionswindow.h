#pragma once

#include "columbarium/nicheoptionsservice.h"

#include "foundation/ui/taskwindow.h"
#include "shared/session.h"

#include <memory>

class MemoList;
namespace Ui {
class Frm_jcxx;
}

// Frm_jcxx, 寄存选项: the occupied niche picked for maintenance, its memos, and 寄存维护.
class NicheOptionsWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_jcxx"};

    explicit NicheOptionsWindow(AppContext& context, QWidget* parent = nullptr);
    ~NicheOptionsWindow() override;

    // Shows the session's occupied niche and its memos.
    void takeChosenNiche();

private:
    void openMaintenance();

    NicheOptionsService m_service;
    ChosenNiche m_niche;
    std::unique_ptr<Ui::Frm_jcxx> m_ui;
    MemoList* m_memos;
};
