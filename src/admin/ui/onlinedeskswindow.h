#pragma once

#include "foundation/ui/taskwindow.h"

class QTableWidget;

// 在线操作员: Admin sees who is working now, at which computer and since when. Read only; 刷新
// reads the list again.
class OnlineDesksWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_zxczy", {Placement::Rule::Centred}};

    explicit OnlineDesksWindow(AppContext& context, QWidget* parent = nullptr);

private:
    void load();

    QTableWidget* m_list;
};
