#include "columbarium/ui/storageregistrationwindow.h"

#include "columbarium/ui/storagechargeswindow.h"
#include "foundation/clock.h"
#include "foundation/money.h"
#include "foundation/session.h"
#include "foundation/ui/enterastab.h"
#include "ui_storageregistrationwindow.h"

StorageRegistrationWindow::StorageRegistrationWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, context.session, context.clock),
      m_ui(std::make_unique<Ui::Frmjc_rd>()) {
    m_ui->setupUi(this);
    m_ui->Combo1->setCurrentIndex(-1);
    m_ui->Combo2->addItems(m_service.relations());
    m_ui->Combo2->setCurrentIndex(-1);
    connect(m_ui->DTP1, &QDateEdit::dateChanged, this,
            [this](QDate from) { m_ui->DTP2->setDate(StorageRegistrationService::storedUntilFor(from)); });
    on(m_ui->ComSf, &QPushButton::clicked, &StorageRegistrationWindow::openItemCharges);
    on(m_ui->Command1, &QPushButton::clicked, &StorageRegistrationWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &StorageRegistrationWindow::closeWindow);
    EnterAsTab::install(this);
}

StorageRegistrationWindow::~StorageRegistrationWindow() = default;

void StorageRegistrationWindow::takeChosenNiche() {
    const ChosenNiche& niche = m_context.session.chosenNiche;
    const QDate today = m_context.clock.today();
    m_ui->Text1->setText(niche.key);
    for (QDateEdit* date : {m_ui->DTP1, m_ui->DTP3, m_ui->DTP4})
        date->setDate(today);
    m_ui->DTP2->setDate(StorageRegistrationService::storedUntilFor(today));
    m_ui->Mask7->setText(Money::format(niche.price));
}

StorageForm StorageRegistrationWindow::form() const {
    StorageForm form;
    form.nicheKey = m_ui->Text1->text();
    form.urnType = m_ui->Maskhx->text();
    form.storedFrom = m_ui->DTP1->date();
    form.storedUntil = m_ui->DTP2->date();
    form.deceased = m_ui->Mask1->text();
    form.sex = m_ui->Combo1->currentText();
    form.formerUnit = m_ui->Mask2->text();
    form.born = m_ui->DTP3->date();
    form.died = m_ui->DTP4->date();
    form.nativePlace = m_ui->Txt_jg->text();
    form.contact = m_ui->Mask3->text();
    form.relation = m_ui->Combo2->currentText();
    form.workUnit = m_ui->Mask4->text();
    form.address = m_ui->Mask5->text();
    form.phone = m_ui->Mask6->text();
    form.amountDue = m_ui->Mask7->text();
    form.amountReceived = m_ui->Mask8->text();
    form.email = m_ui->Mask15->text();
    form.remark = m_ui->Mask16->text();
    form.idNumber = m_ui->Mask_sfzh->text();
    form.hideBirthDate = m_ui->Check1->isChecked();
    return form;
}

void StorageRegistrationWindow::openItemCharges() {
    m_context.host.open<StorageChargesWindow>()->fill(m_ui->Text1->text(), m_ui->Mask3->text());
}

void StorageRegistrationWindow::save() {
    if (showOutcome(m_service.save(form())))
        closeWindow();
}
