#include "business/ui/reservationmaintenancewindow.h"

#include "business/ui/purchasewindow.h"
#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_reservationmaintenancewindow.h"

ReservationMaintenanceWindow::ReservationMaintenanceWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_ydwh1>()) {
    m_ui->setupUi(this);
    connect(m_ui->Mask6, &QLineEdit::textChanged, this, &ReservationMaintenanceWindow::showTopUp);
    on(m_ui->Command1, &QPushButton::clicked, &ReservationMaintenanceWindow::save);
    on(m_ui->Command3, &QPushButton::clicked, &ReservationMaintenanceWindow::cancel);
    on(m_ui->Command4, &QPushButton::clicked, &ReservationMaintenanceWindow::settle);
    on(m_ui->Command2, &QPushButton::clicked, &ReservationMaintenanceWindow::closeWindow);
    EnterAsTab::install(this);
}

ReservationMaintenanceWindow::~ReservationMaintenanceWindow() = default;

void ReservationMaintenanceWindow::takeChosenReservation() {
    m_reservation = m_service.load(m_context.session.chosenReservation.id);
    if (!m_reservation) {
        closeAsGone(QStringLiteral("这条预订已经不在了，可能已被取消或交清余款。"));
        return;
    }
    m_ui->Text1->setText(m_reservation->key);
    m_ui->Mask2->setText(m_reservation->contact);
    m_ui->Mask3->setText(m_reservation->address);
    m_ui->Mask4->setText(m_reservation->phone);
    m_ui->Mask5->setText(m_reservation->workUnit);
    m_ui->Mask6->setText(QStringLiteral("0"));
    showTopUp();
}

void ReservationMaintenanceWindow::showTopUp() {
    if (!m_reservation)
        return;
    const TopUp amounts = ReservationMaintenanceService::topUp(*m_reservation, m_ui->Mask6->text());
    m_ui->Mask1->setText(Money::format(amounts.received));
    m_ui->Mask7->setText(Money::format(amounts.balance));
}

MaintenanceForm ReservationMaintenanceWindow::form() const {
    return {m_ui->Mask1->text(), m_ui->Mask2->text(), m_ui->Mask3->text(), m_ui->Mask4->text(),
            m_ui->Mask5->text(), m_ui->Mask6->text(), m_ui->Mask7->text()};
}

void ReservationMaintenanceWindow::save() {
    if (!showOutcome(m_service.save(m_reservation.value(), form())))
        return;
    closeWindow();
}

void ReservationMaintenanceWindow::cancel() {
    if (!showOutcome(m_service.cancel(m_reservation.value(), form(), m_context.prompter)))
        return;
    closeWindow();
}

void ReservationMaintenanceWindow::settle() {
    const Settlement settlement = m_service.settlement(m_reservation.value());
    if (settlement.refusal) {
        showOutcome(refused(*settlement.refusal));
        return;
    }
    // The customer as this window shows them, typed corrections included.
    Reservation customer = *m_reservation;
    customer.contact = m_ui->Mask2->text();
    customer.address = m_ui->Mask3->text();
    customer.phone = m_ui->Mask4->text();
    customer.workUnit = m_ui->Mask5->text();
    m_context.host.openPlaced<PurchaseWindow>(PurchaseWindow::settlementPlacement)
        ->settleReservation(settlement.plot, customer);
}
