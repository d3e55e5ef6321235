#include "admin/ui/backupwindow.h"

#include "ui_backupwindow.h"

#include <QGuiApplication>

BackupWindow::BackupWindow(AppContext& context, QWidget* parent)
    : TaskWindow(context, parent), m_ui(std::make_unique<Ui::copy_frm>()),
      m_service(context.database, context.dataFolder, context.clock) {
    m_ui->setupUi(this);
    m_ui->path_edit->setText(m_service.defaultTarget());
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
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const SaveOutcome outcome = m_service.backup(m_ui->path_edit->text(), button);
    QGuiApplication::restoreOverrideCursor();
    showOutcome(outcome);
}
