#include "app/taskwindows.h"

#include "admin/restorecommand.h"
#include "admin/ui/acknowledgementswindow.h"
#include "admin/ui/backupwindow.h"
#include "admin/ui/changehistorywindow.h"
#include "admin/ui/importwindow.h"
#include "admin/ui/onlinedeskswindow.h"
#include "admin/ui/operatorswindow.h"
#include "admin/ui/permissioneditorwindow.h"
#include "admin/ui/printarchivewindow.h"
#include "admin/ui/reportlisteditorwindow.h"
#include "admin/ui/supportwindow.h"
#include "admin/ui/tombstonetypeswindow.h"
#include "admin/ui/unitinfowindow.h"
#include "admin/unitinfoservice.h"
#include "app/mainwindow.h"
#include "business/duereminders.h"
#include "business/ui/burialhubwindow.h"
#include "business/ui/constructionsearchwindow.h"
#include "business/ui/duereminderwindow.h"
#include "business/ui/itemchargeswindow.h"
#include "business/ui/lampquerywindow.h"
#include "business/ui/overduereservationswindow.h"
#include "business/ui/plotsearchwindow.h"
#include "business/ui/purchasewindow.h"
#include "business/ui/reservationmaintenancewindow.h"
#include "business/ui/reservationwindow.h"
#include "columbarium/ui/nichebrowsewindow.h"
#include "columbarium/ui/nichesearchwindow.h"
#include "columbarium/ui/nichesetupwindow.h"
#include "columbarium/ui/occupiednichewindow.h"
#include "columbarium/ui/storagechargeswindow.h"
#include "foundation/clock.h"
#include "foundation/ui/systemprinterprobe.h"
#include "graves/map/ui/plotmapwindow.h"
#include "graves/map/ui/salesrestrictionwindow.h"
#include "graves/map/ui/takenmapwindow.h"
#include "graves/ui/plotsetupwindow.h"
#include "graves/ui/stylepictureswindow.h"
#include "shared/ui/backgroundwindow.h"
#include "shared/ui/expirylistwindow.h"
#include "statistics/ui/chargereportwindow.h"
#include "statistics/ui/countwindow.h"
#include "statistics/ui/saleslistwindow.h"

#include <QCoreApplication>

namespace {

// The maps stand below the sales: the menu hands them the windows they go on to with a pick.
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
    mainWindow.registerWindow<OnlineDesksWindow>(QStringLiteral("M_zxczy"));
    mainWindow.registerWindow<OverdueReservationsWindow>(QStringLiteral("ydgqjl"));
    mainWindow.registerWindow<SalesRestrictionWindow>(QStringLiteral("xskz"));
    mainWindow.registerWindow<StylePicturesWindow>(QStringLiteral("mpic"));
    mainWindow.registerWindow<ReservedMapWindow>(QStringLiteral("M_tm"), [&context] {
        context.host.open<ReservationMaintenanceWindow>()->takeChosenReservation();
    });
    mainWindow.registerWindow<SoldMapWindow>(
        QStringLiteral("M_lz"), [&context] { context.host.open<BurialHubWindow>()->takeChosenPurchase(); });
    mainWindow.registerWindow<OperatorsWindow>(QStringLiteral("M_xtwh"));
    mainWindow.registerWindow<PermissionEditorWindow>(QStringLiteral("syspower"));
    mainWindow.registerWindow<ReportListEditorWindow>(QStringLiteral("report"));
    mainWindow.registerWindow<TombstoneTypesWindow>(QStringLiteral("bxwh"));
    mainWindow.registerWindow<UnitInfoWindow>(QStringLiteral("M_yhxx"));
    mainWindow.registerCommand(QStringLiteral("M_mrbj"), [&context, &mainWindow] {
        UnitInfoService(context.database).restoreDefaultBackground();
        mainWindow.background()->reload();
    });
    mainWindow.registerWindow<SupportWindow>(QStringLiteral("M_jszc"));
    mainWindow.registerWindow<AcknowledgementsWindow>(QStringLiteral("M_mx"));
    mainWindow.registerWindow<BackupWindow>(QStringLiteral("datacopy"));
    mainWindow.registerWindow<ImportWindow>(QStringLiteral("M_drsj"));
    // The restore program replaces the database file: Pelu ends, and its database closes cleanly on the way.
    mainWindow.registerCommand(QStringLiteral("backup"), [&context] {
        if (startRestore(context.prompter, context.printBridge.launcher(),
                         QCoreApplication::applicationDirPath()))
            QCoreApplication::exit(0);
    });
    mainWindow.registerWindow<NicheSetupWindow>(QStringLiteral("M_szts"));
    mainWindow.registerWindow<NicheBrowseWindow>(QStringLiteral("M_bljc"));
    mainWindow.registerWindow<StorageChargesWindow>(QStringLiteral("M_jcwp"));
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
    mainWindow.registerWindow<ExpiryListWindowOf<ExpiryKind::Plots>>(QStringLiteral("M_ckmw"));
    mainWindow.registerWindow<ExpiryListWindowOf<ExpiryKind::Niches>>(QStringLiteral("M_ckjc"));
    mainWindow.registerWindow<PlotSearchWindow>(QStringLiteral("M_czmw"));
    mainWindow.registerWindow<NicheSearchWindow>(QStringLiteral("M_czjc"));
    mainWindow.registerWindow<LampQueryWindow>(QStringLiteral("cjddfind"));
    mainWindow.registerWindow<ConstructionSearchWindowOf<ConstructionSheet::Order>>(QStringLiteral("sgcx"));
    mainWindow.registerWindow<ConstructionSearchWindowOf<ConstructionSheet::Acceptance>>(
        QStringLiteral("yscx"));
    mainWindow.registerWindow<OccupiedNicheWindow>(QStringLiteral("M_jcwh"));
}
