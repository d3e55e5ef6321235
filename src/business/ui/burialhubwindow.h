#pragma once

#include "business/burialhubservice.h"

#include "foundation/ui/taskwindow.h"

#include <functional>
#include <memory>
#include <optional>

class MemoList;
namespace Ui {
class Frm_ck;
}

// The windows the burial management opens for its plot; each reads the plot from the session's
// chosen purchase or from this window's plot(). An empty one leaves its button disabled.
struct BurialHubWindows {
    std::function<void()> addBurial;   // Command1 增加落葬人
    std::function<void()> records;     // Command2 落葬人数据维护
    std::function<void()> renewal;     // Command3 续费
    std::function<void()> giveBack;    // Command5 退墓
    std::function<void()> itemCharges; // Command9 物品收费
    std::function<void()> feeRecords;  // Command8 收费记录
    std::function<void()> lamps;       // Command10 春节点灯
    // Command11 建墓施工 and Command12 施工验收, each behind its own item right
    std::function<void()> construction;
    std::function<void()> acceptance;
};

// Frm_ck "落葬管理": the sold plot picked on the sold-plot map, how many are buried in it, its memos,
// and the windows that go on with it.
class BurialHubWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ck", {Placement::Rule::Centred}};

    BurialHubWindow(AppContext& context, BurialHubWindows windows, QWidget* parent = nullptr);
    ~BurialHubWindow() override;

    // Reads the plot picked on the map by its key; a plot whose register is gone meanwhile is told and
    // the window closes.
    void takeChosenPurchase();
    // The plot shown; nothing before a pick was taken.
    const std::optional<BurialHubPlot>& plot() const { return m_plot; }

private:
    void reprint();

    BurialHubService m_service;
    BurialHubWindows m_windows;
    std::optional<BurialHubPlot> m_plot;
    std::unique_ptr<Ui::Frm_ck> m_ui;
    MemoList* m_memos;
};
