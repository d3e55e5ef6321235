#include "shared/ui/expirylistwindow.h"

#include "foundation/clock.h"
#include "foundation/printbridge.h"
#include "ui_expirylistwindow.h"

ExpiryListWindow::ExpiryListWindow(AppContext& context, ExpiryKind kind, QWidget* parent)
    : TaskWindow(context, parent), m_kind(kind), m_ui(std::make_unique<Ui::ExpiryListForm>()) {
    setObjectName(QString::fromLatin1(expiryListWindow(kind)));
    m_ui->setupUi(this);
    const ExpiryList::Member& member = ExpiryList::member(kind);
    setWindowTitle(member.title);
    m_ui->Label3->setText(QStringLiteral("天内到期的") + member.place);
    m_ui->Text1->setText(QString::number(ExpiryList::defaultDays));
    m_ui->Grid1->attach(context.database, context.prompter);
    m_ui->Grid1->setColumnTwips(member.keyColumn, 2000);
    list();
    on(m_ui->Command2, &QPushButton::clicked, &ExpiryListWindow::list);
    on(m_ui->Command3, &QPushButton::clicked, &ExpiryListWindow::print);
    on(m_ui->Command1, &QPushButton::clicked, &ExpiryListWindow::closeWindow);
}

ExpiryListWindow::~ExpiryListWindow() = default;

void ExpiryListWindow::list() {
    const std::optional<int> days = ExpiryList::parseDays(m_ui->Text1->text());
    if (!days) {
        showOutcome(refused(ExpiryList::notAWholeNumber()));
        return;
    }
    m_ui->Grid1->setQuery(ExpiryList::listing(m_kind, m_context.clock.today(), *days));
    m_listedDays = *days;
    m_ui->Label1->setText(ExpiryList::countLabel(m_kind, *days, m_ui->Grid1->count()));
}

void ExpiryListWindow::print() {
    m_context.printBridge.print(ExpiryList::print(m_kind, m_context.clock.today(), m_listedDays));
}
