#include "business/ui/itemchargeswindow.h"

#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "shared/ui/chargelinefields.h"
#include "ui_itemchargeswindow.h"

ItemChargesWindow::ItemChargesWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_mq_qtf>()) {
    m_ui->setupUi(this);
    m_prices = {m_ui->Maskq1, m_ui->Maskq2, m_ui->Maskq3, m_ui->Maskq4, m_ui->Maskq5, m_ui->Maskq6};
    m_quantities = {m_ui->Masks1, m_ui->Masks2, m_ui->Masks3, m_ui->Masks4, m_ui->Masks5, m_ui->Masks6};
    m_lineTotals = {m_ui->Mask1, m_ui->Mask2, m_ui->Mask3, m_ui->Mask4, m_ui->Mask5, m_ui->mask9};

    QList<ChargeLineFields> lines;
    for (int item = 0; item < ItemChargeForm::itemCount; ++item)
        lines.append({m_prices[item], m_quantities[item], m_lineTotals[item]});
    keepLineTotals(this, lines, [this] { updateTotal(); });
    for (QLineEdit* service : {m_ui->Mask6, m_ui->Mask7, m_ui->Mask8, m_ui->Mask10, m_ui->Mask11,
                               m_ui->Mask_ecaz, m_ui->Mask_tx, m_ui->Mask_cf})
        connect(service, &QLineEdit::textChanged, this, &ItemChargesWindow::updateTotal);
    m_ui->MaskQT->setText(QStringLiteral("其它费"));

    on(m_ui->Command1, &QPushButton::clicked, &ItemChargesWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &ItemChargesWindow::closeWindow);
    EnterAsTab::install(this);
}

ItemChargesWindow::~ItemChargesWindow() = default;

void ItemChargesWindow::fill(const QString& plotKey, const QString& contact, const QString& number) {
    m_ui->Maskmb->setText(plotKey);
    m_ui->Masklxr->setText(contact);
    m_ui->MaskEdBox1->setText(number);
}

ItemChargeForm ItemChargesWindow::form() const {
    ItemChargeForm form;
    form.plotKey = m_ui->Maskmb->text();
    form.contact = m_ui->Masklxr->text();
    form.number = m_ui->MaskEdBox1->text();
    for (int item = 0; item < ItemChargeForm::itemCount; ++item) {
        form.unitPrices[item] = m_prices[item]->text();
        form.quantities[item] = m_quantities[item]->text();
    }
    form.construction = m_ui->Mask6->text();
    form.luckyNumber = m_ui->Mask10->text();
    form.jointBurial = m_ui->Mask8->text();
    form.transport = m_ui->Mask7->text();
    form.reburial = m_ui->Mask_ecaz->text();
    form.vehicle = m_ui->Mask_cf->text();
    form.specialRepair = m_ui->Mask_tx->text();
    form.furtherName = m_ui->MaskQT->text();
    form.furtherAmount = m_ui->Mask11->text();
    return form;
}

void ItemChargesWindow::updateTotal() {
    m_ui->Text1->setText(Money::format(ItemChargesService::grandTotal(form())));
}

void ItemChargesWindow::save() {
    if (showOutcome(m_service.save(form())))
        closeWindow();
}
