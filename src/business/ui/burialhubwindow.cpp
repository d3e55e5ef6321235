#include "business/ui/burialhubwindow.h"

#include "shared/session.h"
#include "shared/ui/memolist.h"
#include "ui_burialhubwindow.h"

BurialHubWindow::BurialHubWindow(AppContext& context, BurialHubWindows windows, QWidget* parent)
    : TaskWindow(context, parent), m_service(context.database, context.clock), m_windows(std::move(windows)),
      m_ui(std::make_unique<Ui::Frm_ck>()) {
    m_ui->setupUi(this);
    m_ui->Grid1->attach(context.database, context.prompter);
    m_memos = new MemoList(m_service.memos(), m_ui->Grid1, m_ui->Mask1, this);
    m_ui->Grid1->setHiddenColumns({QStringLiteral("墓碑位置")});
    m_ui->Grid1->setColumnTwips(QStringLiteral("id"), 1000);
    m_ui->Grid1->setColumnTwips(QStringLiteral("登记时间"), 2000);
    m_ui->Grid1->setColumnTwips(QStringLiteral("内容"), 5000);
    const auto opens = [this](QPushButton* button, const std::function<void()>& open) {
        if (open)
            on(button, &QPushButton::clicked, [open] { open(); });
    };
    opens(m_ui->Command1, m_windows.addBurial);
    opens(m_ui->Command2, m_windows.records);
    opens(m_ui->Command3, m_windows.renewal);
    opens(m_ui->Command5, m_windows.giveBack);
    opens(m_ui->Command9, m_windows.itemCharges);
    opens(m_ui->Command8, m_windows.feeRecords);
    opens(m_ui->Command10, m_windows.lamps);
    opens(m_ui->Command11, m_windows.construction);
    opens(m_ui->Command12, m_windows.acceptance);
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
        m_context.prompter.inform(Prompter::Icon::Information, QStringLiteral("提示"),
                                  QStringLiteral("此墓的购墓登记已经不在了，可能已被退墓。"));
        closeWindow();
        return;
    }
    m_ui->Label1->setText(m_plot->summary());
    m_ui->Command1->setEnabled(bool(m_windows.addBurial));
    m_ui->Command2->setEnabled(m_windows.records && m_plot->buried > 0);
    m_ui->Command3->setEnabled(bool(m_windows.renewal));
    m_ui->Command5->setEnabled(bool(m_windows.giveBack));
    m_ui->Command9->setEnabled(bool(m_windows.itemCharges));
    m_ui->Command8->setEnabled(bool(m_windows.feeRecords));
    m_ui->Command10->setEnabled(bool(m_windows.lamps));
    m_ui->Command11->setEnabled(bool(m_windows.construction));
    m_ui->Command12->setEnabled(bool(m_windows.acceptance));
    for (QPushButton* button : {m_ui->Cmd_dygmz, m_ui->Command6, m_ui->Command7})
        button->setEnabled(true);
    m_memos->show(m_plot->key);
}

void BurialHubWindow::reprint() {
    m_context.printBridge.print(BurialHubService::certificateReprint(*m_plot));
}
