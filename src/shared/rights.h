#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct PrintRights;
struct Session;

// Numbers of the guarded function items: character n of an operator's permission string
// belongs to item n.
namespace Item {
constexpr int StorageSetup = 1;
constexpr int StorageRegistration = 2;
constexpr int StorageMaintenance = 3;
constexpr int StorageDeceasedRecords = 4;
constexpr int StorageExpiryReminder = 5;
constexpr int GravePositionSetup = 6;
constexpr int GraveMap = 7;
constexpr int BurialRegistration = 8;
constexpr int ReservationMaintenance = 9;
constexpr int GraveDeceasedRecords = 10;
constexpr int GraveExpiryReminder = 11;
constexpr int StorageItemCharges = 12;
constexpr int StorageChargeStatistics = 13;
constexpr int GraveItemCharges = 14;
constexpr int GraveChargeStatistics = 15;
constexpr int StorageDateStatistics = 16;
constexpr int StorageYearStatistics = 17;
constexpr int GraveSalesDateStatistics = 18;
constexpr int GraveSalesYearStatistics = 19;
constexpr int TombstoneSalesStatistics = 20;
constexpr int SystemMaintenance = 21;
constexpr int PermissionSettings = 22;
constexpr int PrintSettings = 23;
constexpr int Backup = 24;
constexpr int Restore = 25;
constexpr int GraveStylePictures = 26;
constexpr int LampQuery = 27;
constexpr int ReservePlot = 28;
constexpr int BuyPlotDirectly = 29;
constexpr int ReservationOverdue = 30;
constexpr int AreaReservationStatistics = 31;
constexpr int AreaSalesStatistics = 32;
constexpr int AreaBurialStatistics = 33;
constexpr int AreaPriceRangeStatistics = 34;
constexpr int SalesmanStatistics = 35;
constexpr int SalesRestriction = 36;
constexpr int ConstructionOrder = 37;
constexpr int ConstructionAcceptance = 38;
constexpr int ConstructionQuery = 39;
constexpr int AcceptanceQuery = 40;
constexpr int Count = 40;
} // namespace Item

struct ReportEntry {
    QString caption;
    QString name;
};

namespace Rights {

// The caption of each guarded item in the permission editor, item 1 first.
const QStringList& itemCaptions();

// The printable reports in the order the print-list editor offers them.
const QList<ReportEntry>& reportCatalogue();
// ",a,,b," - the report list text that names every report of the catalogue.
QString fullReportList();

// The value of the hexadecimal digit of `item` (1-based); 0 beyond the end or for a non-digit.
int permissionDigit(const QString& permissionString, int item);

// The item right check: may the logged-in operator use `item`? When yes, each of the add, modify and
// delete flags is set from its bit (bit set allows, bit clear denies), and the operator's own
// denials from the operators window deny on top. When no, the flags are left alone.
bool checkItem(Session& session, int item);

// Does the report list name `reportName` (exact, between commas)?
bool reportListAllows(const QString& reportList, const QString& reportName);

// The print gate of the logged-in operator: the print flag (unless the job skips it), then the report
// list. Reads `session` at every print.
PrintRights printRights(const Session& session);

} // namespace Rights
