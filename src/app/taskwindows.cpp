#include "taskwindows.h"

#include "clock.h"
#include "duereminders.h"
#include "duereminderwindow.h"
#include "itemchargeswindow.h"
#include "mainwindow.h"
#include "plotmapwindow.h"
#include "plotsetupwindow.h"
#include "purchasewindow.h"
#include "reservationwindow.h"

namespace {

// Where the map's choice window goes on with a picked plot.
PlotSaleWindows plotSaleWindows(AppContext& context) {
    return {[&context] { context.host.open<ReservationWindow>()->takeChosenPlot(); },
            [&context] { context.host.open<PurchaseWindow>()->takeChosenPlot(); }};
}

} // namespace

void registerTaskWindows(MainWindow& mainWindow) {
    AppContext& context = mainWindow.context();
    mainWindow.setDueReminders([&context] { return DueReminders::count(context.database, context.clock.today()); },
                               [&context] { context.host.open<DueReminderWindow>(); });
    mainWindow.registerWindow<ItemChargesWindow>(QStringLiteral("M_mqyp"));
    mainWindow.registerWindow<PlotSetupWindow>(QStringLiteral("M_szmw"));
    mainWindow.registerWindow<PlotMapWindow>(QStringLiteral("M_gm"), plotSaleWindows(context));
}
