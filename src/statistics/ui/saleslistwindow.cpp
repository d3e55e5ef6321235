#include "statistics/ui/saleslistwindow.h"

#include "foundation/clock.h"
#include "ui_saleslistwindow.h"

SalesListWindow::SalesListWindow(AppContext& context, SalesListKind kind, QWidget* parent)
    : TaskWindow(context, parent), m_kind(kind), m_ui(std::make_unique<Ui::SalesListForm>()) {
    setObjectName(QString::fromLatin1(salesListWindow(kind)));
    m_ui->setupUi(this);
    const SalesLists::Member& member = SalesLists::member(kind);
    setWindowTitle(member.title);
    // Each list has either the filter list or the two prices, never both.
    if (member.filter == SalesLists::Filter::Price) {
        delete m_ui->FilterLabel;
        delete m_ui->Combo1;
        m_ui->Combo1 = nullptr;
    } else {
        delete m_ui->PriceLabel;
        delete m_ui->Mask1;
        delete m_ui->PriceTo;
        delete m_ui->Mask2;
        m_ui->Mask1 = m_ui->Mask2 = nullptr;
        if (member.filter == SalesLists::Filter::Salesman)
            m_ui->FilterLabel->setText(QStringLiteral("业务员"));
        m_ui->Combo1->addItems(SalesLists(context.database).filterChoices(kind));
    }
    const QDate today = context.clock.today();
    m_ui->DTP1->setDate(today);
    m_ui->DTP2->setDate(today);
    m_ui->MSHFlexGrid1->attach(context.database, context.prompter);
    if (m_ui->Combo1)
        list();
    on(m_ui->Command1, &QPushButton::clicked, &SalesListWindow::list);
    on(m_ui->Command3, &QPushButton::clicked, &SalesListWindow::print);
    on(m_ui->Command2, &QPushButton::clicked, &SalesListWindow::closeWindow);
}

SalesListWindow::~SalesListWindow() = default;

SalesListChoice SalesListWindow::choice() const {
    SalesListChoice choice;
    if (m_ui->Combo1) {
        choice.filter = m_ui->Combo1->currentText();
    } else {
        choice.lowest = m_ui->Mask1->text();
        choice.highest = m_ui->Mask2->text();
    }
    choice.period = {m_ui->DTP1->date(), m_ui->DTP2->date()};
    return choice;
}

void SalesListWindow::list() {
    const SalesListChoice chosen = choice();
    const std::optional<BoundQuery> query = SalesLists::listing(m_kind, chosen);
    if (!query)
        return;
    RecordGrid* grid = m_ui->MSHFlexGrid1;
    grid->setQuery(*query);
    m_listed = query;
    m_listedChoice = chosen;
    const qint64 rows = grid->count();
    m_ui->Lambcount->setText(SalesLists::countLabel(rows));
    m_ui->Lafysum->setText(
        SalesLists::sumLabel(rows, rows > 0 ? grid->sum(SalesLists::member(m_kind).sumColumn) : 0));
}

void SalesListWindow::print() {
    if (m_listed)
        m_context.printBridge.print(SalesLists::print(m_kind, *m_listed, m_listedChoice));
}
