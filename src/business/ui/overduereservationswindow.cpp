#include "business/ui/overduereservationswindow.h"

#include "business/duereminders.h"
#include "business/ui/duereminderwindow.h"
#include "foundation/clock.h"
#include "ui_overduereservationswindow.h"

OverdueReservationsWindow::OverdueReservationsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_ydwkgq>()) {
    m_ui->setupUi(this);
    showReservations(m_ui->Grid1, context, DueReminders::overdue(context.clock.today()));
    on(m_ui->Command1, &QPushButton::clicked, &OverdueReservationsWindow::closeWindow);
}

OverdueReservationsWindow::~OverdueReservationsWindow() = default;
