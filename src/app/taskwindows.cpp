#include "app/taskwindows.h"

#include "admin/ui/changehistorywindow.h"
#include "admin/ui/printarchivewindow.h"
#include "business/duereminders.h"
#include "business/ui/duereminderwindow.h"
#include "business/ui/itemchargeswindow.h"
#include "business/ui/purchasewindow.h"
#include "business/ui/reservationwindow.h"
#include "foundation/clock.h"
#include "foundation/ui/mainwindow.h"
#include "foundation/ui/systemprinterprobe.h"
#include "graves/map/ui/plotmapwindow.h"
#include "graves/ui/plotsetupwindow.h"
#include "statistics/ui/chargereportwindow.h"
#include "statistics/ui/countwindow.h"
#include "statistics/ui/saleslistwindow.h"

namespace {

// Where the map's choice window goes on with a picked plot.
PlotSaleWindows plotSaleWindows(AppContext& context) {
    return {[&context] { context.host.open<ReservationWindow>()->takeChosenPlot(); },
            [&context] { context.host.open<PurchaseWindow>()->takeChosenPlot(); }};
}

} // namespace

void registerTaskWindows(MainWindow& mainWindow) {
    AppContext& context = mainWindow.context();
    mainWindow.setDueReminders(
        [&context] { return DueReminders::count(context.database, context.clock.today()); },
        [&context] { context.host.open<DueReminderWindow>(); });
    mainWindow.registerWindow<ItemChargesWindow>(QStringLiteral("M_mqyp"));
    mainWindow.registerWindow<PlotSetupWindow>(QStringLiteral("M_szmw"));
    mainWindow.registerWindow<PlotMapWindow>(QStringLiteral("M_gm"), plotSaleWindows(context));
    static const SystemPrinterProbe printers;
    mainWindow.registerWindow<PrintArchiveWindow>(QStringLiteral("M_dyda"),
                                                  std::cref<PrinterProbe>(printers));
    mainWindow.registerWindow<ChangeHistoryWindow>(QStringLiteral("M_czjl"));
    mainWindow.registerWindow<ColumbariumChargeWindow>(QStringLiteral("M_jctj"));
    mainWindow.registerWindow<CemeteryChargeWindow>(QStringLiteral("M_mqtj"));
    mainWindow.registerWindow<CountWindowOf<CountKind::NicheOccupancy>>(QStringLiteral("ghjcrqtj"));
    mainWindow.registerWindow<CountWindowOf<CountKind::StoragesByMonth>>(QStringLiteral("ghjcntj"));
    mainWindow.registerWindow<CountWindowOf<CountKind::PlotSales>>(QStringLiteral("Mwxstj"));
    mainWindow.registerWindow<CountWindowOf<CountKind::PlotSalesByMonth>>(QStringLiteral("mwxszdyytj"));
    mainWindow.registerWindow<CountWindowOf<CountKind::TombstoneTypes>>(QStringLiteral("fdfds"));
    mainWindow.registerWindow<SalesListWindowOf<SalesListKind::AreaReservations>>(QStringLiteral("mqyd"));
    mainWindow.registerWindow<SalesListWindowOf<SalesListKind::AreaSales>>(QStringLiteral("mxxs"));
    mainWindow.registerWindow<SalesListWindowOf<SalesListKind::AreaBurials>>(QStringLiteral("mxaztj"));
    mainWindow.registerWindow<SalesListWindowOf<SalesListKind::PriceRange>>(QStringLiteral("mxjgfwtj"));
    mainWindow.registerWindow<SalesListWindowOf<SalesListKind::Salesman>>(QStringLiteral("ywyxs"));
}
