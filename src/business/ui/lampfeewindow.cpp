#include "business/ui/lampfeewindow.h"

#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_lampfeewindow.h"

LampFeeWindow::LampFeeWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::cjdd_frm>()) {
    m_ui->setupUi(this);
    on(m_ui->ok_btn, &QPushButton::clicked, &LampFeeWindow::save);
    on(m_ui->cancel_btn, &QPushButton::clicked, &LampFeeWindow::closeWindow);
    m_ui->ok_btn->setEnabled(false);
    EnterAsTab::install(this);
}

LampFeeWindow::~LampFeeWindow() = default;

void LampFeeWindow::takeChosenPurchase() {
    m_key = m_context.session.chosenPurchase.key;
    setWindowTitle(m_key + QStringLiteral("春节点灯缴费管理"));
    const LampFeeForm proposed = m_service.proposal(m_key);
    m_ui->gz_edit->setText(proposed.deceased);
    m_ui->lxr_edit->setText(proposed.contact);
    m_ui->tel_edit->setText(proposed.telephone);
    m_ui->az_dtp->setDate(proposed.buried);
    m_ui->bdate_edit->setText(proposed.fromYear);
    m_ui->edate_edit->setText(proposed.toYear);
    m_ui->sfje_edit->clear();
    m_ui->sfrq_dtp->setDate(proposed.paidOn);
    m_ui->ok_btn->setEnabled(true);
}

LampFeeForm LampFeeWindow::form() const {
    return {m_ui->gz_edit->text(),   m_ui->lxr_edit->text(),   m_ui->tel_edit->text(),
            m_ui->az_dtp->date(),    m_ui->bdate_edit->text(), m_ui->edate_edit->text(),
            m_ui->sfje_edit->text(), m_ui->sfrq_dtp->date()};
}

// A payment is taken once: the window closes after it, so a second click cannot take it again.
void LampFeeWindow::save() {
    if (showOutcome(m_service.save(m_key, form())))
        closeWindow();
}
