#include "business/ui/feerecordswindow.h"

#include "shared/session.h"
#include "ui_feerecordswindow.h"

FeeRecordsWindow::FeeRecordsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, context.session),
      m_ui(std::make_unique<Ui::Frm_mqsfjl>()) {
    m_ui->setupUi(this);
    m_ui->Grid1->attach(context.database, context.prompter);
    m_ui->Grid1->setColumnTwips(QStringLiteral("墓碑位置"), 2000);
    connect(m_ui->Grid1, &RecordGrid::currentRowChanged, this, &FeeRecordsWindow::showCurrentRow);
    on(m_ui->Command1, &QPushButton::clicked, &FeeRecordsWindow::reprint);
    on(m_ui->Command2, &QPushButton::clicked, &FeeRecordsWindow::remove);
    on(m_ui->Command3, &QPushButton::clicked, &FeeRecordsWindow::closeWindow);
}

FeeRecordsWindow::~FeeRecordsWindow() = default;

void FeeRecordsWindow::takeChosenPurchase() {
    m_key = m_context.session.chosenPurchase.key;
    showRows();
}

void FeeRecordsWindow::showRows() {
    m_ui->Grid1->setQuery(FeeRecordsService::rows(m_key));
    if (m_ui->Grid1->model()->rowCount() > 0)
        m_ui->Grid1->selectRow(0);
    showCurrentRow();
}

void FeeRecordsWindow::showCurrentRow() {
    const std::optional<qint64> id = currentId();
    m_ui->Label1->setText(id ? FeeRecordsService::rowLabel(
                                   *id, m_ui->Grid1->currentValue(QStringLiteral("操作方式")).toString())
                             : QString());
}

std::optional<qint64> FeeRecordsWindow::currentId() const {
    const QVariant id = m_ui->Grid1->currentValue(QStringLiteral("id"));
    return id.isValid() ? std::optional(id.toLongLong()) : std::nullopt;
}

void FeeRecordsWindow::reprint() {
    showOutcome(m_service.reprint(currentId(), m_ui->Check1->isChecked()));
}

void FeeRecordsWindow::remove() {
    const SaveOutcome outcome = m_service.remove(currentId(), m_context.prompter);
    showOutcome(outcome);
    if (outcome.saved || outcome.message)
        showRows();
}
