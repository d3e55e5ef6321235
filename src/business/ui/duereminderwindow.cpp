#include "business/ui/duereminderwindow.h"

#include "business/duereminders.h"
#include "foundation/clock.h"
#include "ui_duereminderwindow.h"

#include <QHeaderView>
#include <QSqlQueryModel>
#include <QSqlRecord>

DueReminderWindow::DueReminderWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_ydwktx>()),
      m_model(new QSqlQueryModel(this)) {
    m_ui->setupUi(this);
    m_ui->Grid1->setModel(m_model);
    m_model->setQuery(DueReminders::list(context.database, context.clock.today()));
    // The clerk calls these customers: name and telephone first; the row's own key means nothing to him.
    const QSqlRecord columns = m_model->record();
    QHeaderView* header = m_ui->Grid1->horizontalHeader();
    header->moveSection(header->visualIndex(columns.indexOf(QStringLiteral("联系人"))), 0);
    header->moveSection(header->visualIndex(columns.indexOf(QStringLiteral("联系电话"))), 1);
    m_ui->Grid1->hideColumn(columns.indexOf(QStringLiteral("id")));
    m_ui->Grid1->resizeColumnsToContents();
    on(m_ui->Command1, &QPushButton::clicked, &DueReminderWindow::closeWindow);
}

DueReminderWindow::~DueReminderWindow() = default;
