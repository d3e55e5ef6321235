#include "admin/ui/changehistorywindow.h"

#include "foundation/clock.h"
#include "ui_changehistorywindow.h"

ChangeHistoryWindow::ChangeHistoryWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_czjl>()), m_service(context.database) {
    m_ui->setupUi(this);
    const QDate today = context.clock.today();
    m_ui->DateFrom->setDate(today.addMonths(-1));
    m_ui->DateTo->setDate(today);
    m_ui->OperatorBox->addItems(QStringList{QString()} + m_service.operators());
    m_ui->TableBox->addItems(QStringList{QString()} + m_service.tables());
    RecordGrid* grid = m_ui->Grid1;
    grid->attach(context.database, context.prompter);
    grid->setColumnTwips(QStringLiteral("之前"), 6000);
    grid->setColumnTwips(QStringLiteral("之后"), 6000);
    grid->setColumnTwips(QStringLiteral("位置表"), 3000);
    search();
    on(m_ui->SearchButton, &QPushButton::clicked, &ChangeHistoryWindow::search);
    on(m_ui->KeyEdit, &QLineEdit::returnPressed, &ChangeHistoryWindow::search);
    on(m_ui->CloseButton, &QPushButton::clicked, &ChangeHistoryWindow::closeWindow);
    on(grid, &QTableView::doubleClicked, &ChangeHistoryWindow::showPositions);
}

void ChangeHistoryWindow::showPositions() {
    const QString positions = m_ui->Grid1->currentValue(QStringLiteral("位置表")).toString();
    if (!positions.isEmpty())
        m_context.prompter.inform(Prompter::Icon::Information, QStringLiteral("批量操作的位置"), positions);
}

ChangeHistoryWindow::~ChangeHistoryWindow() = default;

void ChangeHistoryWindow::search() {
    m_ui->Grid1->setQuery(ChangeHistoryService::query(
        {m_ui->DateFrom->date(), m_ui->DateTo->date(), m_ui->OperatorBox->currentText(),
         m_ui->TableBox->currentText(), m_ui->KeyEdit->text()}));
    m_ui->CountLabel->setText(QStringLiteral("共 %1 条").arg(m_ui->Grid1->count()));
}
