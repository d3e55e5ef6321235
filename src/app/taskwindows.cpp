#include "taskwindows.h"

#include "duereminderwindow.h"
#include "itemchargeswindow.h"
#include "mainwindow.h"
#include "plotmapwindow.h"
#include "plotsetupwindow.h"
#include "purchasewindow.h"
#include "reservationwindow.h"

namespace {

// A reservation or purchase saved from the map empties the map's icons.
template <typename Window> void clearMapOnSave(AppContext& context, Window* window) {
    if (auto* map = context.host.find<PlotMapWindow>())
        QObject::connect(window, &Window::saved, map, &PlotMapWindow::clearIcons, Qt::UniqueConnection);
}

// Where the map's choice window goes on with a picked plot.
PlotSaleWindows plotSaleWindows(AppContext& context) {
    return {[&context] {
                auto* window = context.host.open<ReservationWindow>();
                window->takeChosenPlot();
                clearMapOnSave(context, window);
            },
            [&context] {
                auto* window = context.host.open<PurchaseWindow>();
                window->takeChosenPlot();
                clearMapOnSave(context, window);
            }};
}

} // namespace

void registerTaskWindows(MainWindow& mainWindow) {
    AppContext& context = mainWindow.context();
    mainWindow.setDueReminderWindow([&context] { context.host.open<DueReminderWindow>(); });
    mainWindow.registerWindow<ItemChargesWindow>(QStringLiteral("M_mqyp"));
    mainWindow.registerWindow<PlotSetupWindow>(QStringLiteral("M_szmw"));
    mainWindow.registerWindow<PlotMapWindow>(QStringLiteral("M_gm"), plotSaleWindows(context));
}
