#pragma once

#include "foundation/boundquery.h"
#include "foundation/ui/taskwindow.h"
#include "statistics/saleslists.h"

#include <memory>

namespace Ui {
class SalesListForm;
}

// The list of money rows of a period, narrowed by area, salesman or land price, with its count and
// total, and its print.
class SalesListWindow : public TaskWindow {
    Q_OBJECT
public:
    ~SalesListWindow() override;

protected:
    SalesListWindow(AppContext& context, SalesListKind kind, QWidget* parent);

private:
    SalesListChoice choice() const;
    void list();
    void print();

    SalesListKind m_kind;
    std::unique_ptr<Ui::SalesListForm> m_ui;
    // What the grid shows, and what it was chosen by: the print prints exactly that.
    std::optional<BoundQuery> m_listed;
    SalesListChoice m_listedChoice;
};

// The window of one list, as the host opens it by type.
template <SalesListKind Kind> class SalesListWindowOf final : public SalesListWindow {
public:
    static constexpr TaskWindowTraits traits{salesListWindow(Kind)};
    explicit SalesListWindowOf(AppContext& context, QWidget* parent = nullptr)
        : SalesListWindow(context, Kind, parent) {}
};
