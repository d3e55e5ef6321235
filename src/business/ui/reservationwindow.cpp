#include "business/ui/reservationwindow.h"

#include "foundation/clock.h"
#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "graves/map/ui/plotchoicewindow.h"
#include "shared/session.h"
#include "ui_reservationwindow.h"

ReservationWindow::ReservationWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, context.session),
      m_ui(std::make_unique<Ui::Frm_ydmd>()) {
    m_ui->setupUi(this);
    m_ui->DTP1->setDate(context.clock.today());
    m_ui->DTP2->setDate(ReservationService::reminderFor(m_ui->DTP1->date()));

    // Typing the agreed price recomputes the balance; typing the prepaid amount does not.
    connect(m_ui->Mask6, &QLineEdit::textChanged, this, [this] {
        if (const auto balance = ReservationService::balanceFor(m_ui->Mask6->text(), m_ui->Mask1->text()))
            m_ui->Mask7->setText(Money::format(*balance));
    });
    on(m_ui->Command1, &QPushButton::clicked, &ReservationWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &ReservationWindow::closeWindow);
    EnterAsTab::install(this);
    warnWhenTaken(
        ChangeNotifier::Subject::Plots, [this] { return m_ui->Text1->text(); },
        [this](const QString& key) { return m_service.takenMeanwhile(key); });
}

ReservationWindow::~ReservationWindow() = default;

void ReservationWindow::takeChosenPlot() {
    m_ui->Text1->setText(m_context.session.chosenPlot.key);
}

ReservationForm ReservationWindow::form() const {
    ReservationForm form;
    form.plotKey = m_ui->Text1->text();
    form.prepaid = m_ui->Mask1->text();
    form.contact = m_ui->Mask2->text();
    form.address = m_ui->Mask3->text();
    form.phone = m_ui->Mask4->text();
    form.workUnit = m_ui->Mask5->text();
    form.agreedPrice = m_ui->Mask6->text();
    form.balance = m_ui->Mask7->text();
    form.idNumber = m_ui->mask9->text();
    form.number = m_ui->Mask10->text();
    form.reservedOn = m_ui->DTP1->date();
    form.remindOn = m_ui->DTP2->date();
    return form;
}

void ReservationWindow::save() {
    const bool saved = [this] {
        const auto saving = ownSave();
        return showOutcome(m_service.reserve(form()));
    }();
    if (!saved)
        return;
    m_context.host.close<PlotChoiceWindow>();
    closeWindow();
}
