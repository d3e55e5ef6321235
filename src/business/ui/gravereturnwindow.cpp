#include "business/ui/gravereturnwindow.h"

#include "business/ui/burialhubwindow.h"
#include "business/ui/burialrecordswindow.h"
#include "business/ui/burialwindow.h"
#include "business/ui/constructionsheetwindow.h"
#include "business/ui/feerecordswindow.h"
#include "business/ui/lampfeewindow.h"
#include "business/ui/managementfee.h"
#include "business/ui/renewalwindow.h"
#include "foundation/money.h"
#include "foundation/ui/enterastab.h"
#include "graves/map/ui/takenmapwindow.h"
#include "shared/session.h"
#include "ui_gravereturnwindow.h"

GraveReturnWindow::GraveReturnWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_tmtf>()) {
    m_ui->setupUi(this);
    keepManagementFee<FeeTotals>(
        this,
        {m_ui->Mask_mdf, m_ui->Mask_mbf, m_ui->Mask_jtmf, m_ui->Mask_glf, m_ui->Mask_qtf, m_ui->Mask_lhf,
         m_ui->Maskbfl},
        m_ui->Mask_gl, [this] { return PurchaseService::computeFees(refund()); },
        [this](const QString& typed) { return PurchaseService::totalsWith(refund(), typed); },
        [this](const FeeTotals& totals) { showTotals(totals); });
    on(m_ui->Command1, &QPushButton::clicked, &GraveReturnWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &GraveReturnWindow::closeWindow);
    EnterAsTab::install(this);
}

GraveReturnWindow::~GraveReturnWindow() = default;

void GraveReturnWindow::takeChosenPurchase() {
    // Brought back for the same plot, the window keeps what was typed.
    if (m_ui->Mask_mbwz->text() == m_context.session.chosenPurchase.key)
        return;
    const std::optional<ReturnSheet> sheet = m_service.load(m_context.session.chosenPurchase.key);
    if (!sheet) {
        closeAsGone(QStringLiteral("这个墓位已经没有登记记录，可能已经退墓。"));
        return;
    }
    m_ui->Mask_mbwz->setText(sheet->key);
    m_ui->DTP1->setDate(sheet->useFrom);
    m_ui->DTP2->setDate(sheet->useUntil);
    m_shownUntil = sheet->useUntil;
    m_ui->Text1->setText(sheet->contact);
    m_ui->Text2->setText(sheet->workUnit);
    m_ui->Text3->setText(sheet->phone);
    if (!sheet->paid) {
        showOutcome(refused(notice(QStringLiteral("没发现购墓信息，请检查！"))));
        return;
    }
    // The management fee last, so the one shown is the one paid.
    const PaidForPlot& paid = *sheet->paid;
    m_ui->Mask_mdf->setText(Money::format(paid.land));
    m_ui->Mask_mbf->setText(Money::format(paid.stone));
    m_ui->Mask_jtmf->setText(Money::format(paid.family));
    m_ui->Mask_glf->setText(Money::format(paid.labour));
    m_ui->Mask_qtf->setText(Money::format(paid.other));
    m_ui->Mask_lhf->setText(Money::format(paid.greening));
    m_ui->Mask_gl->setText(Money::format(paid.management));
    showTotals(PurchaseService::totalsWith(refund(), m_ui->Mask_gl->text()));
}

PurchaseFeeTexts GraveReturnWindow::refund() const {
    return {m_ui->Mask_mdf->text(), m_ui->Mask_mbf->text(), m_ui->Mask_jtmf->text(), m_ui->Mask_glf->text(),
            m_ui->Mask_lhf->text(), m_ui->Mask_qtf->text(), m_ui->Maskbfl->text(),   QString()};
}

void GraveReturnWindow::showTotals(const FeeTotals& totals) {
    m_ui->Mask_xj->setText(Money::format(Money::roundCents(totals.subtotal)));
    m_ui->Mask_hj->setText(Money::format(Money::roundCents(totals.total)));
}

void GraveReturnWindow::save() {
    ReturnForm form;
    form.plotKey = m_ui->Mask_mbwz->text();
    form.contact = m_ui->Text1->text();
    form.workUnit = m_ui->Text2->text();
    form.phone = m_ui->Text3->text();
    form.refund = refund();
    form.management = m_ui->Mask_gl->text();
    form.remark = m_ui->Mask_bz->text();
    form.shownUntil = m_shownUntil;
    if (!showOutcome(m_service.save(form, m_context.prompter)))
        return;
    closePlotWindows();
    closeWindow();
}

void GraveReturnWindow::closePlotWindows() {
    WindowHost& host = m_context.host;
    host.close<BurialWindow>();
    host.close<BurialRecordsWindow>();
    host.close<RenewalWindow>();
    host.close<FeeRecordsWindow>();
    host.close<LampFeeWindow>();
    host.close<ConstructionOrderWindow>();
    host.close<AcceptanceWindow>();
    host.close<BurialHubWindow>();
    host.close<SoldMapWindow>();
}
