#include "taskwindow.h"

TaskWindow::TaskWindow(AppContext& context, QWidget* parent) : QWidget(parent), m_context(context) {}

bool TaskWindow::guarded(const std::function<void()>& action) {
    return runAction(m_context.prompter, action);
}

void TaskWindow::closeWindow() {
    m_context.host.close(this);
}
