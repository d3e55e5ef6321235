#include "business/ui/lampquerywindow.h"

#include "foundation/clock.h"
#include "graves/plotareas.h"
#include "shared/ui/fieldoptions.h"
#include "ui_lampquerywindow.h"

LampQueryWindow::LampQueryWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::cjddfind_frm>()) {
    m_ui->setupUi(this);
    const QDate today = context.clock.today();
    m_ui->DTP1->setDate(today);
    m_ui->DTP2->setDate(today);
    m_ui->Grid2->attach(context.database, context.prompter);
    for (QLineEdit* name : {m_ui->gz_edit, m_ui->lxr_edit})
        name->setToolTip(FieldOptions::pinyinTip(true));
    m_ui->qu_cbox->addItems(QStringList{QString()} + PlotAreas::all(context.database));
    on(m_ui->qu_cbox, &QComboBox::currentIndexChanged, &LampQueryWindow::listRows);
    on(m_ui->pai_cbox, &QComboBox::currentIndexChanged, &LampQueryWindow::listNumbers);
    for (QRadioButton* mode : {m_ui->pt_op, m_ui->hz_op, m_ui->wjf_op})
        connect(mode, &QRadioButton::toggled, this, &LampQueryWindow::modeChanged);
    on(m_ui->Command1, &QPushButton::clicked, &LampQueryWindow::query);
    on(m_ui->Command2, &QPushButton::clicked, &LampQueryWindow::printSummary);
}

LampQueryWindow::~LampQueryWindow() = default;

void LampQueryWindow::listRows() {
    const QString area = m_ui->qu_cbox->currentText();
    m_ui->pai_cbox->clear();
    if (!area.isEmpty())
        m_ui->pai_cbox->addItems(QStringList{QString()} + PlotAreas::rows(m_context.database, area));
    listNumbers();
}

void LampQueryWindow::listNumbers() {
    const QString area = m_ui->qu_cbox->currentText();
    m_ui->hao_cbox->clear();
    if (!area.isEmpty())
        m_ui->hao_cbox->addItems(
            QStringList{QString()} +
            LampQueries::soldNumbers(m_context.database, area, m_ui->pai_cbox->currentText()));
}

void LampQueryWindow::modeChanged() {
    const bool byYear = !m_ui->pt_op->isChecked();
    if (byYear && !m_ui->year_edit->isEnabled())
        m_ui->year_edit->setText(m_context.clock.today().toString(QStringLiteral("yyyy")));
    m_ui->year_edit->setEnabled(byYear);
}

LampConditions LampQueryWindow::conditions() const {
    LampConditions chosen;
    chosen.byPlace = m_ui->mxwz_check->isChecked();
    chosen.area = m_ui->qu_cbox->currentText();
    chosen.row = m_ui->pai_cbox->currentText();
    chosen.number = m_ui->hao_cbox->currentText();
    chosen.byDeceased = m_ui->gz_check->isChecked();
    chosen.deceased = m_ui->gz_edit->text();
    chosen.byContact = m_ui->lxr_check->isChecked();
    chosen.contact = m_ui->lxr_edit->text();
    chosen.byTelephone = m_ui->tel_check->isChecked();
    chosen.telephone = m_ui->tel_edit->text();
    chosen.byBurial = m_ui->az_check->isChecked();
    chosen.buriedFrom = m_ui->DTP1->date();
    chosen.buriedTo = m_ui->DTP2->date();
    return chosen;
}

std::optional<int> LampQueryWindow::chosenYear() {
    const std::optional<int> year = LampQueries::year(m_ui->year_edit->text(), m_context.clock.today());
    if (!year)
        tell(QStringLiteral("汇总年份条件错误！请检查"));
    return year;
}

void LampQueryWindow::query() {
    RecordGrid* grid = m_ui->Grid2;
    if (m_ui->pt_op->isChecked()) {
        const LampListing listing = LampQueries::payments(conditions());
        if (!listing.query) {
            showOutcome(refused(*listing.refusal));
            return;
        }
        grid->setQuery(*listing.query);
        m_ui->Label1->setText(LampQueries::countLabel(grid->count()));
        return;
    }
    const std::optional<int> year = chosenYear();
    if (!year)
        return;
    if (m_ui->hz_op->isChecked()) {
        grid->setQuery(LampQueries::yearSummary(*year));
        m_ui->Label1->setText(LampQueries::totalLabel(LampQueries::yearTotal(m_context.database, *year)));
    } else {
        grid->setQuery(LampQueries::unpaid(*year));
        m_ui->Label1->setText(
            LampQueries::unpaidLabel(*year, LampQueries::unpaidCount(m_context.database, *year)));
    }
}

void LampQueryWindow::printSummary() {
    if (const std::optional<int> year = chosenYear())
        m_context.printBridge.print(LampQueries::summaryPrint(*year));
}

void LampQueryWindow::tell(const QString& text) {
    showOutcome(refused(notice(text)));
}
