#pragma once

#include "foundation/ui/taskwindow.h"

#include <functional>
#include <memory>

namespace Ui {
class Frm_ydwh;
}

// Frm_ydwh "预订维护选择": the reserved plots of an area as icons by style, narrowed like the plot
// map. Picking one keeps its first reservation in the session and goes on to its maintenance,
// which belongs to the grave business, so the program's wiring supplies it.
class ReservedMapWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ydwh", {Placement::Rule::FullWidthAtTop}};

    ReservedMapWindow(AppContext& context, std::function<void()> openMaintenance, QWidget* parent = nullptr);
    ~ReservedMapWindow() override;

private:
    void pick(const QModelIndex& index);
    void printList();

    std::function<void()> m_openMaintenance;
    std::unique_ptr<Ui::Frm_ydwh> m_ui;
};
