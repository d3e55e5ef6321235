#include "columbarium/ui/storagechargeswindow.h"

#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "shared/ui/chargelinefields.h"
#include "ui_storagechargeswindow.h"

StorageChargesWindow::StorageChargesWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_jc_qtf>()) {
    m_ui->setupUi(this);
    m_prices = {m_ui->Maskq1, m_ui->Maskq2, m_ui->Maskq3, m_ui->Maskq4};
    m_quantities = {m_ui->Masks1, m_ui->Masks2, m_ui->Masks3, m_ui->Masks4};
    const std::array<QLineEdit*, StorageChargeForm::itemCount> lineTotals = {m_ui->mask1, m_ui->mask2,
                                                                             m_ui->mask3, m_ui->mask4};
    QList<ChargeLineFields> lines;
    for (int item = 0; item < StorageChargeForm::itemCount; ++item)
        lines.append({m_prices[item], m_quantities[item], lineTotals[item]});
    keepLineTotals(this, lines, [this] { updateTotal(); });
    m_ui->Text1->clear();
    for (QLineEdit* fee : {m_ui->Mask5, m_ui->Mask6})
        connect(fee, &QLineEdit::textChanged, this, &StorageChargesWindow::updateTotal);

    on(m_ui->Command1, &QPushButton::clicked, &StorageChargesWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &StorageChargesWindow::closeWindow);
    EnterAsTab::install(this);
}

StorageChargesWindow::~StorageChargesWindow() = default;

void StorageChargesWindow::fill(const QString& nicheKey, const QString& contact) {
    m_ui->MaskWZ->setText(nicheKey);
    m_ui->MaskLXR->setText(contact);
}

StorageChargeForm StorageChargesWindow::form() const {
    StorageChargeForm form;
    form.nicheKey = m_ui->MaskWZ->text();
    form.contact = m_ui->MaskLXR->text();
    for (int item = 0; item < StorageChargeForm::itemCount; ++item) {
        form.unitPrices[item] = m_prices[item]->text();
        form.quantities[item] = m_quantities[item]->text();
    }
    form.layerFee = m_ui->Mask5->text();
    form.otherFee = m_ui->Mask6->text();
    return form;
}

void StorageChargesWindow::updateTotal() {
    m_ui->Text1->setText(Money::format(StorageChargesService::grandTotal(form())));
}

void StorageChargesWindow::save() {
    if (showOutcome(m_service.save(form())))
        closeWindow();
}
