#include "columbarium/ui/nichesearchwindow.h"

#include "columbarium/nichesearch.h"
#include "columbarium/ui/nichefeerecordswindow.h"
#include "shared/session.h"
#include "ui_nichesearchwindow.h"

NicheSearchWindow::NicheSearchWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::FRM_CZJCWZ>()) {
    m_ui->setupUi(this);
    m_options = std::make_unique<FieldOptions>(NicheSearch::storages(),
                                               m_ui->Frame1->findChildren<QRadioButton*>(), m_ui->Text1);
    m_ui->MSHFlexGrid1->attach(context.database, context.prompter);
    m_ui->MSHFlexGrid1->setColumnTwips(QStringLiteral("id"), 2000);
    m_ui->MSHFlexGrid1->setColumnTwips(QStringLiteral("存放位置"), 2000);
    m_ui->Option1->setChecked(true);
    m_ui->Command2->setEnabled(false);
    on(m_ui->Text1, &QLineEdit::returnPressed, &NicheSearchWindow::search);
    on(m_ui->Command2, &QPushButton::clicked, &NicheSearchWindow::openFees);
    on(m_ui->Command1, &QPushButton::clicked, &NicheSearchWindow::closeWindow);
}

NicheSearchWindow::~NicheSearchWindow() = default;

void NicheSearchWindow::search() {
    const QString typed = m_ui->Text1->text();
    RecordGrid* grid = m_ui->MSHFlexGrid1;
    grid->setQuery(NicheSearch::storages().find(m_context.database, m_options->chosen(), typed));
    const bool found = grid->model()->rowCount() > 0;
    if (found)
        grid->selectRow(0);
    // Showing every registration leaves the button as it was.
    if (!typed.trimmed().isEmpty())
        m_ui->Command2->setEnabled(found);
}

void NicheSearchWindow::openFees() {
    const QString key = m_ui->MSHFlexGrid1->currentValue(QStringLiteral("存放位置")).toString().trimmed();
    if (key.isEmpty())
        return;
    m_context.session.chosenStoredNiche = key;
    m_context.host.open<NicheFeeRecordsWindow>()->takeChosenNiche();
}
