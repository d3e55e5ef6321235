#include "support/runningoffice.h"

#include "app/taskwindows.h"

#include <QAction>

RunningOffice::RunningOffice(const QString& operatorName, const QString& permissions) {
    session.operatorName = operatorName;
    session.permissionString = permissions;
    registerTaskWindows(window);
    window.show();
}

QWidget* RunningOffice::run(const QString& command, const QString& windowName) {
    window.command(command)->trigger();
    return find(windowName);
}
