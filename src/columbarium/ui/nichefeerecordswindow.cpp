#include "columbarium/ui/nichefeerecordswindow.h"

#include "shared/session.h"
#include "ui_nichefeerecordswindow.h"

NicheFeeRecordsWindow::NicheFeeRecordsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, context.session),
      m_ui(std::make_unique<Ui::Frmjc_sfwh>()) {
    m_ui->setupUi(this);
    m_ui->Grid1->attach(context.database, context.prompter);
    m_ui->Grid1->setHiddenColumns({NicheFeeRecordsService::lineOrder});
    m_ui->Grid1->setColumnTwips(QStringLiteral("存放位置"), 3000);
    m_ui->Grid1->setColumnTwips(QStringLiteral("操作日期"), 2000);
    // The totals line stays the first line.
    m_ui->Grid1->setSortingEnabled(false);
    m_ui->Command1->setEnabled(false);
    connect(m_ui->Grid1, &RecordGrid::currentRowChanged, this, &NicheFeeRecordsWindow::showCurrentRow);
    on(m_ui->Command1, &QPushButton::clicked, &NicheFeeRecordsWindow::remove);
    on(m_ui->Command2, &QPushButton::clicked, &NicheFeeRecordsWindow::closeWindow);
}

NicheFeeRecordsWindow::~NicheFeeRecordsWindow() = default;

void NicheFeeRecordsWindow::takeChosenNiche() {
    showNiche(m_context.session.chosenStoredNiche);
}

void NicheFeeRecordsWindow::showNiche(const QString& key) {
    m_key = key;
    m_ui->Grid1->setQuery(NicheFeeRecordsService::rows(key));
}

void NicheFeeRecordsWindow::showCurrentRow() {
    // Only a fee row can be chosen: the totals line has no id.
    const bool chosen = !m_ui->Grid1->currentValue(QStringLiteral("id")).isNull();
    m_ui->Label1->setText(chosen ? QStringLiteral("您选择的是:   ") +
                                       m_ui->Grid1->currentValue(QStringLiteral("存放位置")).toString()
                                 : QString());
    m_ui->Label2->setText(chosen ? QStringLiteral("操作时间:     ") +
                                       m_ui->Grid1->currentValue(QStringLiteral("操作日期")).toString()
                                 : QString());
    m_ui->Command1->setEnabled(chosen);
}

void NicheFeeRecordsWindow::remove() {
    const QVariant id = m_ui->Grid1->currentValue(QStringLiteral("id"));
    const SaveOutcome outcome =
        m_service.remove(id.isNull() ? std::nullopt : std::optional(id.toLongLong()), m_context.prompter);
    showOutcome(outcome);
    if (outcome.saved)
        closeWindow();
    else if (outcome.message)
        showNiche(m_key);
}
