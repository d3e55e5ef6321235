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
    auto* map = qobject_cast<PlotMapWindow*>(context.host.find(QStringLiteral("Frm_gm")));
    if (window && map)
        QObject::connect(window, &Window::saved, map, &PlotMapWindow::clearIcons, Qt::UniqueConnection);
}

// Where the map's choice window goes on with a picked plot.
PlotSaleWindows plotSaleWindows(AppContext& context) {
    return {[&context] { clearMapOnSave(context, ReservationWindow::openForChosenPlot(context)); },
            [&context] { clearMapOnSave(context, PurchaseWindow::openForChosenPlot(context)); }};
}

} // namespace

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
    mainWindow.registerWindow(QStringLiteral("M_gm"), QStringLiteral("Frm_gm"),
                              [&context] { return new PlotMapWindow(context, plotSaleWindows(context)); },
                              {Placement::Rule::FullWidthAtTop});
}
