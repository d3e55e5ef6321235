#include "admin/ui/backupwindow.h"

#include "ui_backupwindow.h"

#include "foundation/backgroundwork.h"

#include <QGuiApplication>
#include <QPointer>

BackupWindow::BackupWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::copy_frm>()),
      m_service(context.database, context.dataFolder, context.clock) {
    m_ui->setupUi(this);
    m_ui->path_edit->setText(m_service.defaultTarget());
    setChecking(false);
    on(m_ui->dialog_btn, &QPushButton::clicked, &BackupWindow::choose);
    on(m_ui->ok_btn, &QPushButton::clicked, [this] { backUp(BackupService::Button::Ok); });
    on(m_ui->cancel_btn, &QPushButton::clicked, &BackupWindow::closeWindow);
}

BackupWindow::~BackupWindow() = default;

void BackupWindow::choose() {
    // Cancelling the dialog keeps the proposed name, and the backup goes there all the same.
    const QString chosen =
        m_context.prompter.saveFileName(QStringLiteral("备份数据"), m_ui->path_edit->text(),
                                        QStringLiteral("All Files (*);;Dat Files (*.dat)"));
    if (!chosen.isEmpty())
        m_ui->path_edit->setText(chosen);
    backUp(BackupService::Button::Choose);
}

void BackupWindow::backUp(BackupService::Button button) {
    const QString target = m_ui->path_edit->text();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<SaveOutcome> known = m_service.copy(target, button);
    QGuiApplication::restoreOverrideCursor();
    if (known) {
        showOutcome(*known);
        return;
    }
    // The check reads every page of the copy, which takes a while with a large office: the operator works
    // on meanwhile, and the outcome is told when it is known, whether or not this window is still open.
    // The program closing stops it, and the copy is left out.
    setChecking(true);
    auto outcome = std::make_shared<SaveOutcome>();
    const QPointer<BackupWindow> window(this);
    Prompter& prompter = m_context.prompter;
    BackgroundWork::start(
        [outcome, target, button](const std::atomic<bool>& stopping) {
            *outcome = BackupService::check(target, button, &stopping);
        },
        [outcome, window, &prompter] {
            if (window) {
                window->guarded([&] {
                    window->setChecking(false);
                    window->showOutcome(*outcome);
                });
            } else if (outcome->message) {
                prompter.inform(outcome->message->icon, outcome->message->caption, outcome->message->text);
            }
        },
        m_context.host.mainWindow());
}

void BackupWindow::setChecking(bool checking) {
    m_ui->check_label->setVisible(checking);
    m_ui->ok_btn->setEnabled(!checking);
    m_ui->dialog_btn->setEnabled(!checking);
}
