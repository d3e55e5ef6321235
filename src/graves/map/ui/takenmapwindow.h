#pragma once

#include "foundation/ui/taskwindow.h"

#include <functional>
#include <memory>

namespace Ui {
class TakenMapForm;
}

// The plots of an area that are taken one way, as icons, narrowed like the plot map. Picking one
// keeps it in the session and goes on to its own window, which belongs to the grave business, so the
// program's wiring supplies it.
enum class TakenMap {
    Reserved, // Frm_ydwh "预订维护选择": each plot's first reservation, on to its maintenance
    Sold      // Frm_xzlz "选择落葬": each plot's purchase by who is buried, on to the burial management
};

constexpr const char* takenMapWindow(TakenMap kind) {
    return kind == TakenMap::Reserved ? "Frm_ydwh" : "Frm_xzlz";
}

class TakenMapWindow : public TaskWindow {
    Q_OBJECT
public:
    ~TakenMapWindow() override;

protected:
    TakenMapWindow(AppContext& context, TakenMap kind, std::function<void()> goOn, QWidget* parent);

private:
    void pick(const QModelIndex& index);
    void printList();

    TakenMap m_kind;
    std::function<void()> m_goOn;
    std::unique_ptr<Ui::TakenMapForm> m_ui;
};

// The window of one kind, as the host opens it by type.
template <TakenMap Kind> class TakenMapWindowOf final : public TakenMapWindow {
public:
    static constexpr TaskWindowTraits traits{takenMapWindow(Kind), {Placement::Rule::FullWidthAtTop}};
    TakenMapWindowOf(AppContext& context, std::function<void()> goOn, QWidget* parent = nullptr)
        : TakenMapWindow(context, Kind, std::move(goOn), parent) {}
};

using ReservedMapWindow = TakenMapWindowOf<TakenMap::Reserved>;
using SoldMapWindow = TakenMapWindowOf<TakenMap::Sold>;
