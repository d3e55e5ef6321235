#include "graves/ui/plotsetupwindow.h"

#include "foundation/ui/comboentry.h"
#include "foundation/ui/enterastab.h"
#include "foundation/ui/namebox.h"
#include "shared/ui/progresswindow.h"
#include "ui_plotsetupwindow.h"

PlotSetupWindow::PlotSetupWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::Frm_mqsz>()),
      m_service(context.database, context.session, context.prompter) {
    m_ui->setupUi(this);
    EnterAsTab::install(this);
    m_nameBox = new NameBox({m_ui->Combo1, m_ui->Box1, m_ui->Cmdting_tj, m_ui->Cmdting_zx},
                            QStringLiteral("添加墓区"), QStringLiteral("注销墓区"),
                            [this] { guarded([this] { saveArea(); }); });

    on(m_ui->Combo1, &QComboBox::currentIndexChanged, &PlotSetupWindow::showArea);
    // Choosing the area already shown starts it afresh too, or a run would land in the row left chosen.
    on(m_ui->Combo1, &QComboBox::activated, &PlotSetupWindow::showArea);
    on(m_ui->Combo2, &QComboBox::currentIndexChanged, &PlotSetupWindow::showRow);
    connect(m_ui->Box1, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_service.acceptTypedAreaName(text))
            m_ui->Box1->clear();
    });
    on(m_ui->Cmdting_tj, &QPushButton::clicked,
       [this] { m_nameBox->isOpen() ? saveArea() : startAddingArea(); });
    on(m_ui->Cmdting_zx, &QPushButton::clicked, [this] {
        if (m_nameBox->isOpen())
            m_nameBox->cancel();
        else
            removeArea();
    });
    on(m_ui->Cmdshi_zj, &QPushButton::clicked, &PlotSetupWindow::addRow);
    on(m_ui->Cmdshi_zx, &QPushButton::clicked, &PlotSetupWindow::removeRow);
    on(m_ui->Command1, &QPushButton::clicked, [this] { m_service.createRun(input(), *this); });
    on(m_ui->Command4, &QPushButton::clicked, [this] { m_service.changeStyle(input(), *this); });
    on(m_ui->Command6, &QPushButton::clicked, [this] { m_service.changePrices(input(), *this); });
    on(m_ui->Command5, &QPushButton::clicked, [this] { m_service.deleteRun(input(), *this); });
    on(m_ui->Command2, &QPushButton::clicked, [this] { m_service.listMissingNumbers(input(), *this); });
    on(m_ui->Command3, &QPushButton::clicked, &PlotSetupWindow::closeWindow);

    // The areas are listed, none chosen yet.
    const QSignalBlocker quiet(m_ui->Combo1);
    m_ui->Combo1->addItems(m_service.areas());
    m_ui->Combo1->setCurrentIndex(-1);
}

PlotSetupWindow::~PlotSetupWindow() = default;

PlotSetupInput PlotSetupWindow::input() const {
    PlotSetupInput input;
    input.area = m_nameBox->isOpen() ? QString() : m_ui->Combo1->currentText();
    input.rowsListed = m_ui->Combo2->count();
    input.row = m_ui->Combo2->currentText();
    input.start = m_ui->Mask1->text();
    input.count = m_ui->Mask2->text();
    input.style = m_ui->Combo4->currentText();
    input.prices = {m_ui->Mask3->text(), m_ui->Mask4->text(), m_ui->Mask5->text(),
                    m_ui->Mask6->text(), m_ui->Mask7->text(), m_ui->Mask8->text()};
    input.deleteFrom = m_ui->Masks->text();
    input.deleteTo = m_ui->Maske->text();
    return input;
}

void PlotSetupWindow::startAddingArea() {
    if (m_service.mayAddArea())
        m_nameBox->open();
}

void PlotSetupWindow::saveArea() {
    const std::optional<QString> added = m_service.addArea(m_ui->Box1->text());
    // The new area becomes the chosen one, ready for its first run.
    m_nameBox->close(added);
    if (added)
        m_ui->Mask1->setFocus();
}

void PlotSetupWindow::removeArea() {
    if (!m_service.removeArea(input().area))
        return;
    m_nameBox->dropChosen();
    showArea();
}

void PlotSetupWindow::addRow() {
    const std::optional<QString> name = m_service.addRow(input());
    if (!name)
        return;
    appendComboEntryQuietly(m_ui->Combo2, *name);
    showAreaStatus();
}

void PlotSetupWindow::removeRow() {
    const std::optional<QString> name = m_service.removeRow(input());
    if (!name)
        return;
    removeComboEntryQuietly(m_ui->Combo2, *name);
    showAreaStatus();
}

void PlotSetupWindow::showArea() {
    const PlotSetupService::AreaView area = m_service.chooseArea(m_ui->Combo1->currentText());
    const QSignalBlocker quiet(m_ui->Combo2);
    m_ui->Combo2->clear();
    m_ui->Combo2->addItems(area.rows);
    m_ui->Combo2->setCurrentIndex(-1);
    m_ui->Combo2->clearEditText();
    m_ui->Frame2->setEnabled(area.rowGroupEnabled);
    showStatus(area.status);
}

// The area's count of rows changed: its status line tells the new one.
void PlotSetupWindow::showAreaStatus() {
    showStatus(m_service.chooseArea(m_ui->Combo1->currentText()).status);
}

void PlotSetupWindow::showRow() {
    if (m_ui->Combo2->currentIndex() < 0)
        return;
    showStatus(m_service.chooseRow(m_ui->Combo1->currentText(), m_ui->Combo2->currentText()));
}

void PlotSetupWindow::showStatus(const QString& text) {
    m_ui->Bar1->setText(text);
}

void PlotSetupWindow::showResults(const QStringList& lines) {
    m_ui->Grid1->clear();
    m_ui->Grid1->addItems(lines);
}

void PlotSetupWindow::setRowGroupEnabled(bool enabled) {
    m_ui->Frame2->setEnabled(enabled);
}

void PlotSetupWindow::showStartNumber(const QString& number) {
    m_ui->Mask1->setText(number);
}

void PlotSetupWindow::showDeleteRange(const QString& first, const QString& last) {
    m_ui->Masks->setText(first);
    m_ui->Maske->setText(last);
}

void PlotSetupWindow::runLong(Pass pass, const Work& work) {
    ProgressWindow::runPass(this, m_ui->Bar1, pass, work);
}
