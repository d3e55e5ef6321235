#pragma once

#include "business/burialhubservice.h"

#include "foundation/ui/taskwindow.h"

#include <memory>
#include <optional>

class MemoList;
namespace Ui {
class Frm_ck;
}

// Frm_ck "落葬管理": the sold plot picked on the sold-plot map, how many are buried in it, its memos,
// and the windows that go on with it, each reading the plot from the session's chosen purchase.
class BurialHubWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ck", {Placement::Rule::Centred}};

    explicit BurialHubWindow(AppContext& context, QWidget* parent = nullptr);
    ~BurialHubWindow() override;

    // Reads the plot picked on the map by its key; a plot whose register is gone meanwhile is told and
    // the window closes.
    void takeChosenPurchase();
    // The plot shown; nothing before a pick was taken.
    const std::optional<BurialHubPlot>& plot() const { return m_plot; }

private:
    void reprint();
    // Opens `Window` for the chosen purchase.
    template <typename Window> void openForPlot();
    void openItemCharges();

    BurialHubService m_service;
    std::optional<BurialHubPlot> m_plot;
    std::unique_ptr<Ui::Frm_ck> m_ui;
    MemoList* m_memos;
};
