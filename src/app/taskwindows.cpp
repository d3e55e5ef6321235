#include "taskwindows.h"

#include "duereminderwindow.h"
#include "itemchargeswindow.h"
#include "mainwindow.h"
#include "plotsetupwindow.h"

void registerTaskWindows(MainWindow& mainWindow) {
    AppContext& context = mainWindow.context();
    mainWindow.setDueReminderWindow([&context] {
        context.host.open(QStringLiteral("Frm_ydwktx"),
                          [&context] { return new DueReminderWindow(context); });
    });
    mainWindow.registerWindow(QStringLiteral("M_mqyp"), QStringLiteral("Frm_mq_qtf"),
                              [&context] { return new ItemChargesWindow(context); });
    mainWindow.registerWindow(QStringLiteral("M_szmw"), QStringLiteral("Frm_mqsz"),
                              [&context] { return new PlotSetupWindow(context); });
}
