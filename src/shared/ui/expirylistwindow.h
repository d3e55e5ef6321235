#pragma once

#include "foundation/ui/taskwindow.h"
#include "shared/expirylist.h"

#include <memory>

namespace Ui {
class ExpiryListForm;
}

// The registrations ending within the days typed, listed when the window opens and on "查找", with
// their count and their contact list to print.
class ExpiryListWindow : public TaskWindow {
    Q_OBJECT
public:
    ~ExpiryListWindow() override;

protected:
    ExpiryListWindow(AppContext& context, ExpiryKind kind, QWidget* parent);

private:
    void list();
    void print();

    ExpiryKind m_kind;
    std::unique_ptr<Ui::ExpiryListForm> m_ui;
    // The days of what the grid shows: the print prints exactly that, whatever the box holds now.
    int m_listedDays = ExpiryList::defaultDays;
};

// The window of one list, as the host opens it by type.
template <ExpiryKind Kind> class ExpiryListWindowOf final : public ExpiryListWindow {
public:
    static constexpr TaskWindowTraits traits{expiryListWindow(Kind)};
    explicit ExpiryListWindowOf(AppContext& context, QWidget* parent = nullptr)
        : ExpiryListWindow(context, Kind, parent) {}
};
