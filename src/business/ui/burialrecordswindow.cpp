#include "business/ui/burialrecordswindow.h"

#include "business/ui/burialhubwindow.h"
#include "business/ui/deceasedfields.h"
#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_burialrecordswindow.h"

BurialRecordsWindow::BurialRecordsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_lzwh>()) {
    m_ui->setupUi(this);
    m_ui->deceased->setRelations(Deceased::relations(context.database));
    on(m_ui->Command1, &QPushButton::clicked, &BurialRecordsWindow::previous);
    on(m_ui->Command2, &QPushButton::clicked, &BurialRecordsWindow::next);
    on(m_ui->Command3, &QPushButton::clicked, &BurialRecordsWindow::save);
    on(m_ui->Command4, &QPushButton::clicked, &BurialRecordsWindow::deregister);
    on(m_ui->Command5, &QPushButton::clicked, &BurialRecordsWindow::closeWindow);
    EnterAsTab::install(this);
}

BurialRecordsWindow::~BurialRecordsWindow() = default;

void BurialRecordsWindow::takeChosenPurchase() {
    // Brought back for the same plot, the window stays on the record the operator left it at.
    if (!m_key.isEmpty() && m_key == m_context.session.chosenPurchase.key)
        return;
    m_key = m_context.session.chosenPurchase.key;
    setWindowTitle(m_key + QStringLiteral(" 数据维护"));
    m_records = m_service.records(m_key);
    m_current = 0;
    m_ui->Command1->setEnabled(true);
    m_ui->Command2->setEnabled(true);
    showCurrent();
}

void BurialRecordsWindow::showCurrent() {
    if (m_current < m_records.size())
        m_ui->deceased->fill(m_records[m_current].person);
}

void BurialRecordsWindow::previous() {
    if (m_current == 0)
        m_ui->Command1->setEnabled(false);
    else
        --m_current;
    m_ui->Command2->setEnabled(true);
    showCurrent();
}

void BurialRecordsWindow::next() {
    if (m_current + 1 >= m_records.size())
        m_ui->Command2->setEnabled(false);
    else
        ++m_current;
    m_ui->Command1->setEnabled(true);
    showCurrent();
}

void BurialRecordsWindow::save() {
    if (m_current >= m_records.size() ||
        !showOutcome(m_service.save(m_key, m_records[m_current], m_ui->deceased->form())))
        return;
    m_context.host.close<BurialHubWindow>();
    closeWindow();
}

void BurialRecordsWindow::deregister() {
    if (m_current >= m_records.size())
        return;
    const auto confirmed = [this] {
        return m_context.prompter.ask(QStringLiteral("注销"),
                                      QStringLiteral("您确信注销此记录吗？(注销后，此记录将被删除)")) ==
               Prompter::Answer::Yes;
    };
    if (!showOutcome(m_service.deregister(m_key, m_records[m_current].rid, confirmed)))
        return;
    m_context.host.close<BurialHubWindow>();
    closeWindow();
}
