#include "business/ui/renewalwindow.h"

#include "business/purchaseservice.h"
#include "business/ui/burialhubwindow.h"
#include "business/ui/managementfee.h"
#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_renewalwindow.h"

RenewalWindow::RenewalWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_jxf>()) {
    m_ui->setupUi(this);
    connect(m_ui->DTP1, &QDateEdit::dateChanged, this,
            [this](QDate from) { m_ui->DTP2->setDate(PurchaseService::useUntilFor(from)); });
    // The extra item is part of the fee's base, so it recomputes the fee like the list prices do.
    keepManagementFee<RenewalTotals>(
        this, {m_ui->Mask5, m_ui->Mask6, m_ui->Mask7, m_ui->Mask8, m_ui->Mask10, m_ui->Maskbfl, m_ui->MaskE2},
        m_ui->Text2, [this] { return RenewalService::computeFees(fees()); },
        [this](const QString& typed) {
            return RenewalTotals{Money::parseLeading(typed),
                                 RenewalService::totalWith(typed, m_ui->MaskE2->text())};
        },
        [this](const RenewalTotals& totals) { m_ui->Text3->setText(Money::format(totals.total)); });
    on(m_ui->Command1, &QPushButton::clicked, &RenewalWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &RenewalWindow::closeWindow);
    EnterAsTab::install(this);
}

RenewalWindow::~RenewalWindow() = default;

void RenewalWindow::takeChosenPurchase() {
    // Brought back for the same plot, the window keeps what was typed.
    if (!m_key.isEmpty() && m_key == m_context.session.chosenPurchase.key)
        return;
    const std::optional<RenewalSheet> sheet = m_service.load(m_context.session.chosenPurchase.key);
    if (!sheet) {
        closeAsGone(QStringLiteral("这个墓位已经没有登记记录，可能已经退墓。"));
        return;
    }
    m_key = sheet->key;
    setWindowTitle(m_key + QStringLiteral(" 加续费管理"));
    m_ui->Mask5->setText(Money::format(sheet->land));
    m_ui->Mask6->setText(Money::format(sheet->stone));
    m_ui->Mask7->setText(Money::format(sheet->family));
    m_ui->Mask8->setText(Money::format(sheet->labour));
    m_ui->Mask10->setText(Money::format(sheet->other));
    m_ui->Text2->clear();
    m_ui->Text3->clear();
    m_ui->Mask11->setText(QStringLiteral("无"));
    m_ui->Mask1->setText(sheet->contact);
    m_ui->Mask2->setText(sheet->workUnit);
    m_ui->Mask3->setText(sheet->address);
    m_ui->Mask4->setText(sheet->phone);
    m_ui->Mask_sfzh->setText(sheet->idNumber);
    m_ui->TxtMblx->setText(sheet->stoneType);
    m_ui->TxtMbcz->setText(sheet->mainStone);
    m_ui->DTP_gm->setDate(sheet->boughtOn);
    // The start first: its change moves the end, which is then set as registered.
    m_ui->DTP1->setDate(sheet->useFrom);
    m_ui->DTP2->setDate(sheet->useUntil);
    m_shownUntil = sheet->useUntil;
}

RenewalFeeTexts RenewalWindow::fees() const {
    return {m_ui->Mask5->text(),  m_ui->Mask6->text(),   m_ui->Mask7->text(), m_ui->Mask8->text(),
            m_ui->Mask10->text(), m_ui->Maskbfl->text(), m_ui->MaskE2->text()};
}

void RenewalWindow::save() {
    RenewalForm form;
    form.plotKey = m_key;
    form.useUntil = m_ui->DTP2->date();
    form.contact = m_ui->Mask1->text();
    form.workUnit = m_ui->Mask2->text();
    form.management = m_ui->Text2->text();
    form.extraName = m_ui->MaskE1->text();
    form.extra = m_ui->MaskE2->text();
    form.remark = m_ui->Mask11->text();
    form.shownUntil = m_shownUntil;
    if (!showOutcome(m_service.save(form)))
        return;
    m_context.host.close<BurialHubWindow>();
    closeWindow();
}
