#include "business/ui/burialhubwindow.h"

#include "business/ui/burialrecordswindow.h"
#include "business/ui/burialwindow.h"
#include "business/ui/constructionsheetwindow.h"
#include "business/ui/feerecordswindow.h"
#include "business/ui/gravereturnwindow.h"
#include "business/ui/itemchargeswindow.h"
#include "business/ui/lampfeewindow.h"
#include "business/ui/renewalwindow.h"
#include "shared/rights.h"
#include "shared/session.h"
#include "shared/ui/itemgate.h"
#include "shared/ui/memolist.h"
#include "ui_burialhubwindow.h"

template <typename Window> void BurialHubWindow::openForPlot() {
    m_context.host.open<Window>()->takeChosenPurchase();
}

BurialHubWindow::BurialHubWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, context.clock),
      m_ui(std::make_unique<Ui::Frm_ck>()) {
    m_ui->setupUi(this);
    m_ui->Grid1->attach(context.database, context.prompter);
    m_memos = new MemoList(m_service.memos(), m_ui->Grid1, m_ui->Mask1, this);
    m_ui->Grid1->setHiddenColumns({QStringLiteral("墓碑位置")});
    m_ui->Grid1->setColumnTwips(QStringLiteral("id"), 1000);
    m_ui->Grid1->setColumnTwips(QStringLiteral("登记时间"), 2000);
    m_ui->Grid1->setColumnTwips(QStringLiteral("内容"), 5000);
    on(m_ui->Command1, &QPushButton::clicked, &BurialHubWindow::openForPlot<BurialWindow>);
    on(m_ui->Command2, &QPushButton::clicked, &BurialHubWindow::openForPlot<BurialRecordsWindow>);
    on(m_ui->Command3, &QPushButton::clicked, &BurialHubWindow::openForPlot<RenewalWindow>);
    on(m_ui->Command5, &QPushButton::clicked, &BurialHubWindow::openForPlot<GraveReturnWindow>);
    on(m_ui->Command9, &QPushButton::clicked, &BurialHubWindow::openItemCharges);
    on(m_ui->Command8, &QPushButton::clicked, &BurialHubWindow::openForPlot<FeeRecordsWindow>);
    on(m_ui->Command10, &QPushButton::clicked, &BurialHubWindow::openForPlot<LampFeeWindow>);
    // 建墓施工 and 施工验收 each stand behind their own item right.
    on(m_ui->Command11, &QPushButton::clicked, [this] {
        if (passesItemGate(m_context.session, m_context.prompter, Item::ConstructionOrder))
            openForPlot<ConstructionOrderWindow>();
    });
    on(m_ui->Command12, &QPushButton::clicked, [this] {
        if (passesItemGate(m_context.session, m_context.prompter, Item::ConstructionAcceptance))
            openForPlot<AcceptanceWindow>();
    });
    on(m_ui->Cmd_dygmz, &QPushButton::clicked, &BurialHubWindow::reprint);
    on(m_ui->Command6, &QPushButton::clicked, [this] { showOutcome(m_memos->add()); });
    on(m_ui->Command7, &QPushButton::clicked, [this] { showOutcome(m_memos->remove(m_context.prompter)); });
    on(m_ui->Command4, &QPushButton::clicked, &BurialHubWindow::closeWindow);
    for (QPushButton* button : {m_ui->Command1, m_ui->Command2, m_ui->Command3, m_ui->Command5,
                                m_ui->Command9, m_ui->Cmd_dygmz, m_ui->Command6, m_ui->Command7})
        button->setEnabled(false);
}

BurialHubWindow::~BurialHubWindow() = default;

void BurialHubWindow::takeChosenPurchase() {
    m_plot = m_service.load(m_context.session.chosenPurchase.key);
    if (!m_plot) {
        closeAsGone(QStringLiteral("此墓的购墓登记已经不在了，可能已被退墓。"));
        return;
    }
    m_ui->Label1->setText(m_plot->summary());
    m_ui->Command2->setEnabled(m_plot->buried > 0);
    for (QPushButton* button :
         {m_ui->Command1, m_ui->Command3, m_ui->Command5, m_ui->Command8, m_ui->Command9, m_ui->Command10,
          m_ui->Command11, m_ui->Command12, m_ui->Cmd_dygmz, m_ui->Command6, m_ui->Command7})
        button->setEnabled(true);
    m_memos->show(m_plot->key);
}

void BurialHubWindow::openItemCharges() {
    if (m_plot)
        m_context.host.open<ItemChargesWindow>()->fill(m_plot->key, m_plot->contact, m_plot->number);
}

void BurialHubWindow::reprint() {
    m_context.printBridge.print(BurialHubService::certificateReprint(*m_plot));
}
