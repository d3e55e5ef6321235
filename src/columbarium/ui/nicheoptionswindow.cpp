#include "columbarium/ui/nicheoptionswindow.h"

#include "columbarium/ui/storagemaintenancewindow.h"
#include "shared/ui/memolist.h"
#include "ui_nicheoptionswindow.h"

NicheOptionsWindow::NicheOptionsWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, context.clock),
      m_ui(std::make_unique<Ui::Frm_jcxx>()) {
    m_ui->setupUi(this);
    m_ui->Grid1->attach(context.database, context.prompter);
    m_memos = new MemoList(m_service.memos(), m_ui->Grid1, m_ui->Mask1, this);
    m_ui->Grid1->setColumnTwips(QStringLiteral("id"), 800);
    m_ui->Grid1->setColumnTwips(QStringLiteral("寄存位置"), 1500);
    m_ui->Grid1->setColumnTwips(QStringLiteral("操作时间"), 2000);
    m_ui->Grid1->setColumnTwips(QStringLiteral("备忘内容"), 3000);
    on(m_ui->Command1, &QPushButton::clicked, &NicheOptionsWindow::openMaintenance);
    on(m_ui->Command2, &QPushButton::clicked, [this] { showOutcome(m_memos->add()); });
    on(m_ui->Command3, &QPushButton::clicked, [this] { showOutcome(m_memos->remove(m_context.prompter)); });
    on(m_ui->Command4, &QPushButton::clicked, &NicheOptionsWindow::closeWindow);
}

NicheOptionsWindow::~NicheOptionsWindow() = default;

void NicheOptionsWindow::takeChosenNiche() {
    m_niche = m_context.session.chosenOccupiedNiche;
    m_ui->Label1->setText(NicheOptionsService::line(m_niche));
    m_memos->show(m_niche.key);
}

void NicheOptionsWindow::openMaintenance() {
    m_context.host.open<StorageMaintenanceWindow>()->takeNiche(m_niche);
}
