#pragma once

#include "foundation/boundquery.h"
#include "foundation/ui/taskwindow.h"

#include <memory>

class RecordGrid;
namespace Ui {
class Frm_ydwktx;
}

// Frm_ydwktx: the reservations whose payment is due today, shown after login.
class DueReminderWindow : public TaskWindow {
    Q_OBJECT
public:
    static constexpr TaskWindowTraits traits{"Frm_ydwktx"};

    explicit DueReminderWindow(AppContext& context, QWidget* parent = nullptr);
    ~DueReminderWindow() override;

private:
    std::unique_ptr<Ui::Frm_ydwktx> m_ui;
};

// Shows reservations in a list the way the clerk calls the customers: name and telephone first. The
// list reads itself again whenever reservations change.
void showReservations(RecordGrid* grid, AppContext& context, const BoundQuery& query);
