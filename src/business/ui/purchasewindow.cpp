#include "business/ui/purchasewindow.h"

#include "business/ui/itemchargeswindow.h"
#include "business/ui/managementfee.h"
#include "business/ui/reservationmaintenancewindow.h"
#include "foundation/clock.h"
#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "graves/map/ui/plotchoicewindow.h"
#include "graves/map/ui/takenmapwindow.h"
#include "shared/numberedplace.h"
#include "shared/session.h"
#include "ui_purchasewindow.h"

#include <QAbstractSpinBox>
#include <QCheckBox>

PurchaseWindow::PurchaseWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_gm_blz>()) {
    m_ui->setupUi(this);
    m_ui->Text2->clear();
    m_ui->Text3->clear();
    m_ui->Text4->clear();
    const QDate today = context.clock.today();
    m_ui->DTP1->setDate(today);
    m_ui->DTP2->setDate(PurchaseService::useUntilFor(today));
    m_ui->DTP_gm->setDate(today);
    m_ui->Mask11->setText(QStringLiteral("无"));
    loadReferenceLists();

    connect(m_ui->DTP1, &QDateEdit::dateChanged, this,
            [this](QDate from) { m_ui->DTP2->setDate(PurchaseService::useUntilFor(from)); });
    connect(m_ui->Mask_bh, &QLineEdit::editingFinished, this, [this] {
        m_ui->Mask_bh->setText(QString::number(Numbered::wholeNumber(m_ui->Mask_bh->text())));
    });
    keepManagementFee<FeeTotals>(
        this,
        {m_ui->Mask5, m_ui->Mask6, m_ui->Mask7, m_ui->Mask8, m_ui->mask9, m_ui->Mask10, m_ui->Maskbfl,
         m_ui->Txt_qtf},
        m_ui->Text2, [this] { return PurchaseService::computeFees(fees()); },
        [this](const QString& typed) { return PurchaseService::totalsWith(fees(), typed); },
        [this](const FeeTotals& totals) { showTotals(totals); });
    learnWhenLeft(m_ui->Comblx, PurchaseService::StoneList::Type);
    learnWhenLeft(m_ui->Combcz, PurchaseService::StoneList::MainStone);
    learnWhenLeft(m_ui->Comdbcz, PurchaseService::StoneList::BaseStone);

    on(m_ui->CommSf, &QPushButton::clicked, &PurchaseWindow::openItemCharges);
    on(m_ui->Command1, &QPushButton::clicked, &PurchaseWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &PurchaseWindow::closeWindow);
    EnterAsTab::install(this);
    warnWhenTaken(
        ChangeNotifier::Subject::Plots, [this] { return m_ui->Text1->text(); },
        [this](const QString& key) { return m_service.takenMeanwhile(key, m_settling.has_value()); });
    // The form's own text fields; the lists and dates are set anew by themselves.
    for (QLineEdit* field : findChildren<QLineEdit*>())
        if (!qobject_cast<QComboBox*>(field->parentWidget()) &&
            !qobject_cast<QAbstractSpinBox*>(field->parentWidget()))
            m_freshTexts.insert(field, field->text());
}

PurchaseWindow::~PurchaseWindow() = default;

void PurchaseWindow::takeChosenPlot() {
    m_settling.reset();
    setWindowTitle(QStringLiteral("购墓"));
    showPlot(m_context.session.chosenPlot);
}

void PurchaseWindow::settleReservation(const ChosenPlot& plot, const Reservation& reservation) {
    // A settlement starts from the reserved plot's own values, never from another plot's typing.
    startFresh();
    m_settling = reservation.id;
    setWindowTitle(QStringLiteral("交清余款"));
    showPlot(plot);
    m_ui->Mask1->setText(reservation.contact);
    m_ui->Mask2->setText(reservation.workUnit);
    m_ui->Mask3->setText(reservation.address);
    m_ui->Mask4->setText(reservation.phone);
    m_ui->Mask_bh->setText(reservation.number);
    m_ui->Mask_sfzh->setText(reservation.idNumber);
}

void PurchaseWindow::startFresh() {
    for (auto field = m_freshTexts.cbegin(); field != m_freshTexts.cend(); ++field)
        field.key()->setText(field.value());
    for (QComboBox* list : {m_ui->Comblx, m_ui->Combcz, m_ui->Comdbcz, m_ui->Combo1})
        list->setCurrentIndex(0);
    for (QCheckBox* tick : {m_ui->ChkSx, m_ui->Check1})
        tick->setChecked(false);
    const QDate today = m_context.clock.today();
    m_ui->DTP_gm->setDate(today);
    m_ui->DTP1->setDate(today);
    m_ui->DTP2->setDate(PurchaseService::useUntilFor(today));
}

void PurchaseWindow::showPlot(const ChosenPlot& plot) {
    m_ui->Text1->setText(plot.key);
    // A list price of zero leaves its field as it is.
    const auto copy = [](double price, QLineEdit* field) {
        if (price > 0)
            field->setText(Money::format(price));
    };
    copy(plot.landPrice, m_ui->Mask5);
    copy(plot.stonePrice, m_ui->Mask6);
    copy(plot.familyPrice, m_ui->Mask7);
    copy(plot.labourPrice, m_ui->Mask8);
    copy(plot.greeningPrice, m_ui->mask9);
    copy(plot.otherPrice, m_ui->Mask10);
}

void PurchaseWindow::loadReferenceLists() {
    const PurchaseService::ReferenceLists lists = m_service.referenceLists();
    m_ui->Comblx->addItems(lists.stoneTypes);
    m_ui->Combcz->addItems(lists.mainStones);
    m_ui->Comdbcz->addItems(lists.baseStones);
    // Nobody is credited with a sale unless the clerk picks him.
    m_ui->Combo1->addItem(QString());
    m_ui->Combo1->addItems(lists.salesmen);
    for (QComboBox* list : {m_ui->Comblx, m_ui->Combcz, m_ui->Comdbcz})
        list->setCurrentIndex(0);
}

void PurchaseWindow::learnWhenLeft(QComboBox* combo, PurchaseService::StoneList list) {
    on(combo->lineEdit(), &QLineEdit::editingFinished, [this, combo, list] {
        const QString text = combo->currentText().trimmed();
        if (m_service.learn(list, text))
            combo->addItem(text);
    });
}

PurchaseFeeTexts PurchaseWindow::fees() const {
    return {m_ui->Mask5->text(), m_ui->Mask6->text(),  m_ui->Mask7->text(),   m_ui->Mask8->text(),
            m_ui->mask9->text(), m_ui->Mask10->text(), m_ui->Maskbfl->text(), m_ui->Txt_qtf->text()};
}

void PurchaseWindow::showTotals(const FeeTotals& totals) {
    m_ui->Text4->setText(Money::format(totals.subtotal));
    m_ui->Text3->setText(Money::format(totals.total));
}

PurchaseForm PurchaseWindow::form() const {
    PurchaseForm form;
    if (m_settling) {
        form.mode = PurchaseForm::Mode::Settle;
        form.reservationId = *m_settling;
    }
    form.plotKey = m_ui->Text1->text();
    form.number = m_ui->Mask_bh->text();
    form.contact = m_ui->Mask1->text();
    form.workUnit = m_ui->Mask2->text();
    form.address = m_ui->Mask3->text();
    form.phone = m_ui->Mask4->text();
    form.mobile = m_ui->Mask_email->text();
    form.idNumber = m_ui->Mask_sfzh->text();
    form.boughtOn = m_ui->DTP_gm->date();
    form.useFrom = m_ui->DTP1->date();
    form.useUntil = m_ui->DTP2->date();
    form.stoneType = m_ui->Comblx->currentText();
    form.mainStone = m_ui->Combcz->currentText();
    form.baseStone = m_ui->Comdbcz->currentText();
    form.salesman = m_ui->Combo1->currentText();
    form.advanceBought = m_ui->ChkSx->isChecked();
    form.fees = fees();
    form.management = m_ui->Text2->text();
    form.extraName = m_ui->Txt_qt->text();
    form.remark = m_ui->Mask11->text();
    form.secondReceiptForm = m_ui->Check1->isChecked();
    return form;
}

void PurchaseWindow::openItemCharges() {
    const QString number = m_ui->Mask_bh->text();
    m_context.host.open<ItemChargesWindow>()->fill(m_ui->Text1->text(), m_ui->Mask1->text(), number);
}

void PurchaseWindow::save() {
    const bool saved = [this] {
        const auto saving = ownSave();
        return showOutcome(m_service.save(form()));
    }();
    if (!saved)
        return;
    if (m_settling) {
        m_context.host.close<ReservationMaintenanceWindow>();
        m_context.host.close<ReservedMapWindow>();
    } else {
        m_context.host.close<PlotChoiceWindow>();
    }
    closeWindow();
}
