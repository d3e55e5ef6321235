#include "columbarium/ui/storagemaintenancewindow.h"

#include "columbarium/ui/nicheoptionswindow.h"
#include "foundation/ui/enterastab.h"
#include "shared/session.h"
#include "ui_storagemaintenancewindow.h"

StorageMaintenanceWindow::StorageMaintenanceWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.services()), m_ui(std::make_unique<Ui::Frm_ghjc_wh>()) {
    m_ui->setupUi(this);
    m_ui->fields->setUrnTypeCaption(QStringLiteral("骨灰盒类型"));
    m_ui->fields->setRelations(StorageRecord::relations(context.database));
    on(m_ui->Command1, &QPushButton::clicked, &StorageMaintenanceWindow::save);
    on(m_ui->Command2, &QPushButton::clicked, &StorageMaintenanceWindow::renew);
    on(m_ui->Command3, &QPushButton::clicked, &StorageMaintenanceWindow::cancel);
    on(m_ui->Command4, &QPushButton::clicked, &StorageMaintenanceWindow::closeWindow);
    EnterAsTab::install(this);
}

StorageMaintenanceWindow::~StorageMaintenanceWindow() = default;

void StorageMaintenanceWindow::takeNiche(const ChosenNiche& niche) {
    if (m_loaded && m_loaded->key == niche.key)
        return;
    m_loaded = m_service.load(niche);
    if (!m_loaded) {
        closeAsGone(QStringLiteral("此寄存位的寄存登记已经不在了，可能已被注销。"));
        return;
    }
    m_ui->fields->fill(m_loaded->form);
}

void StorageMaintenanceWindow::save() {
    showOutcome(m_service.save(*m_loaded, m_ui->fields->form()));
}

void StorageMaintenanceWindow::renew() {
    const Renewal renewal = m_service.renew(*m_loaded, m_ui->fields->form());
    if (renewal.until) {
        // The end date the next renewal starts from, shown and remembered.
        m_loaded->until = *renewal.until;
        StorageForm form = m_ui->fields->form();
        form.storedUntil = *renewal.until;
        m_ui->fields->fill(form);
    }
    showOutcome(renewal.outcome);
}

void StorageMaintenanceWindow::cancel() {
    if (!showOutcome(m_service.cancel(*m_loaded, m_ui->fields->form(), m_context.prompter)))
        return;
    m_context.host.close<NicheOptionsWindow>();
    closeWindow();
}
