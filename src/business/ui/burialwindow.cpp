#include "business/ui/burialwindow.h"

#include "business/purchaseservice.h"
#include "business/ui/burialhubwindow.h"
#include "business/ui/deceasedfields.h"
#include "business/ui/itemchargeswindow.h"
#include "foundation/clock.h"
#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_burialwindow.h"

BurialWindow::BurialWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_lz>()) {
    m_ui->setupUi(this);
    m_ui->deceased->setRelations(Deceased::relations(context.database));
    const PurchaseService::ReferenceLists lists = PurchaseService(context.services()).referenceLists();
    m_ui->Comblx->addItems(lists.stoneTypes);
    m_ui->Combcz->addItems(lists.mainStones);
    m_ui->Comdbcz->addItems(lists.baseStones);

    connect(m_ui->DTP1, &QDateEdit::dateChanged, this,
            [this](QDate from) { m_ui->DTP2->setDate(PurchaseService::useUntilFor(from)); });
    on(m_ui->Command1, &QPushButton::clicked, &BurialWindow::save);
    on(m_ui->Cmd_ggrq, &QPushButton::clicked, &BurialWindow::changeUseDates);
    on(m_ui->Command3, &QPushButton::clicked, &BurialWindow::openItemCharges);
    on(m_ui->Command2, &QPushButton::clicked, &BurialWindow::closeWindow);
    EnterAsTab::install(this);
}

BurialWindow::~BurialWindow() = default;

void BurialWindow::takeChosenPurchase() {
    const QString key = m_context.session.chosenPurchase.key;
    // Brought back for the same plot, the window keeps what was typed.
    if (!key.isEmpty() && m_ui->Text1->text() == key)
        return;
    m_loaded = m_service.registration(key).value_or(PlotRegistration{});
    const PlotRegistration& plot = m_loaded;
    m_ui->Text1->setText(key);
    m_ui->Lbl_bh->setText(plot.number);
    m_ui->DTP_gm->setDate(plot.boughtOn);
    m_ui->DTP1->setDate(plot.useFrom);
    m_ui->DTP2->setDate(plot.useUntil);
    // An empty stone text selects "未定", the lists' first entry.
    const auto select = [](QComboBox* list, const QString& text) {
        list->setCurrentText(text.isEmpty() ? list->itemText(0) : text);
    };
    select(m_ui->Comblx, plot.stoneType);
    select(m_ui->Combcz, plot.mainStone);
    select(m_ui->Comdbcz, plot.baseStone);
    const QDate today = m_context.clock.today();
    m_ui->deceased->fill({QString(), QString(), QString(), QString(), today, today, today, plot.contact,
                          plot.relation, plot.workUnit, plot.address, plot.phone, plot.idNumber, plot.mobile,
                          QStringLiteral("无"), plot.certificate});
}

BurialForm BurialWindow::form() const {
    return {m_ui->Text1->text(),         m_ui->Lbl_bh->text(),
            m_ui->DTP_gm->date(),        m_ui->DTP1->date(),
            m_ui->DTP2->date(),          m_ui->Comblx->currentText(),
            m_ui->Combcz->currentText(), m_ui->Comdbcz->currentText(),
            m_ui->deceased->form(),      m_loaded};
}

void BurialWindow::openItemCharges() {
    m_context.host.open<ItemChargesWindow>()->fill(m_ui->Text1->text(), m_ui->deceased->contact(),
                                                   m_ui->Lbl_bh->text());
}

void BurialWindow::changeUseDates() {
    const QDate from = m_ui->DTP1->date();
    const QDate until = m_ui->DTP2->date();
    if (!showOutcome(
            m_service.changeUseDates(m_ui->Text1->text(), m_loaded.useFrom, m_loaded.useUntil, from, until)))
        return;
    m_loaded.useFrom = from;
    m_loaded.useUntil = until;
}

void BurialWindow::save() {
    if (!showOutcome(m_service.save(form())))
        return;
    m_context.host.close<BurialHubWindow>();
    closeWindow();
}
