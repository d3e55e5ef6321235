#include "duereminderwindow.h"

#include "actionguard.h"
#include "appcontext.h"
#include "clock.h"
#include "duereminders.h"
#include "ui_duereminderwindow.h"
#include "windowhost.h"

#include <QSqlQueryModel>

DueReminderWindow::DueReminderWindow(AppContext& context, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::Frm_ydwktx>()), m_model(new QSqlQueryModel(this)) {
    m_ui->setupUi(this);
    m_ui->Grid1->setModel(m_model);
    runAction(context.prompter,
              [&] { m_model->setQuery(DueReminders::list(context.database, context.clock.today())); });
    connect(m_ui->Command1, &QPushButton::clicked, this, [this, &context] { context.host.close(this); });
}

DueReminderWindow::~DueReminderWindow() = default;
