#pragma once

#include "foundation/ui/taskwindow.h"

#include <functional>
#include <memory>

namespace Ui {
class Frm_xzlz;
}

// Frm_xzlz "选择落葬": the sold plots of an area by who is buried in them, narrowed like the plot map.
// Picking one keeps its purchase in the session and goes on to the burial management, which belongs
// to the grave business, so the program's wiring supplies it.
class SoldMapWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_xzlz", {Placement::Rule::FullWidthAtTop}};

    SoldMapWindow(AppContext& context, std::function<void()> openBurialHub, QWidget* parent = nullptr);
    ~SoldMapWindow() override;

private:
    void pick(const QModelIndex& index);
    void printList();

    std::function<void()> m_openBurialHub;
    std::unique_ptr<Ui::Frm_xzlz> m_ui;
};
