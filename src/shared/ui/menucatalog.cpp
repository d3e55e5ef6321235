#include "shared/ui/menucatalog.h"

#include "shared/rights.h"

namespace {

MenuCommand separator() {
    return {};
}

MenuCommand command(const char* name, const char* caption, int item, QKeySequence shortcut = {}) {
    return {QString::fromUtf8(name), QString::fromUtf8(caption), shortcut, item};
}

// Commands of our own, beyond the office's numbered items.
MenuCommand addition(const char* name, const char* caption, MenuAccess access) {
    return {QString::fromUtf8(name), QString::fromUtf8(caption), {}, 0, access};
}

} // namespace

const QList<TopMenu>& menuCatalog() {
    using namespace Item;
    static const QList<TopMenu> menus = {
        {QStringLiteral("M_jcgl"),
         QStringLiteral("&A〖寄存管理〗"),
         true,
         {command("M_szts", "寄存设置", StorageSetup, QKeySequence(Qt::CTRL | Qt::Key_J)), separator(),
          command("M_bljc", "寄存登记", StorageRegistration, QKeySequence(Qt::Key_F3)),
          command("M_jcwh", "寄存维护", StorageMaintenance), separator(),
          command("M_czjc", "故者档案", StorageDeceasedRecords, QKeySequence(Qt::Key_F4)),
          command("M_ckjc", "过期提醒", StorageExpiryReminder)}},
        {QStringLiteral("M_mqgl"),
         QStringLiteral("&B〖墓区管理〗"),
         true,
         {command("M_szmw", "设置墓位", GravePositionSetup, QKeySequence(Qt::CTRL | Qt::Key_M)), separator(),
          command("xskz", "销售控制", SalesRestriction),
          command("M_gm", "墓位选购", GraveMap, QKeySequence(Qt::Key_F6)), separator(),
          command("M_lz", "落葬登记", BurialRegistration, QKeySequence(Qt::Key_F7)),
          command("M_tm", "预订维护", ReservationMaintenance), separator(),
          command("M_czmw", "故者档案", GraveDeceasedRecords, QKeySequence(Qt::Key_F8)),
          command("ydgqjl", "预定过期记录", ReservationOverdue),
          command("M_ckmw", "过期提醒", GraveExpiryReminder), separator(),
          command("mpic", "墓地图示", GraveStylePictures), command("cjddfind", "点灯查询", LampQuery),
          separator(), command("sgcx", "施工查询", ConstructionQuery),
          command("yscx", "验收查询", AcceptanceQuery)}},
        {QStringLiteral("Wpsf"),
         QStringLiteral("&C〖物品收费〗"),
         true,
         {command("M_jcwp", "寄存物品收费", StorageItemCharges),
          command("M_jctj", "寄存收费统计", StorageChargeStatistics), separator(),
          command("M_mqyp", "公墓物品收费", GraveItemCharges),
          command("M_mqtj", "公墓收费统计", GraveChargeStatistics)}},
        {QStringLiteral("Mwxstjzk"),
         QStringLiteral("&D销售统计"),
         true,
         {command("ghjcrqtj", "骨灰寄存自定义日期统计", StorageDateStatistics),
          command("ghjcntj", "骨灰寄存自定义年统计", StorageYearStatistics), separator(),
          command("Mwxstj", "墓位销售自定义日期统计", GraveSalesDateStatistics),
          command("mwxszdyytj", "墓位销售自定义年统计", GraveSalesYearStatistics),
          command("fdfds", "碑型销售自定义日期统计", TombstoneSalesStatistics), separator(),
          command("mqyd", "墓区预定自定义日期统计", AreaReservationStatistics),
          command("mxxs", "墓区销售自定义日期统计", AreaSalesStatistics),
          command("mxaztj", "墓区安葬自定义日期统计", AreaBurialStatistics), separator(),
          command("mxjgfwtj", "墓区价格范围销售自定义日期统计", AreaPriceRangeStatistics),
          command("ywyxs", "业务员销售墓位自定义日期统计", SalesmanStatistics)}},
        {QStringLiteral("M_xtsz"),
         QStringLiteral("&E〖系统设置〗"),
         true,
         {command("M_xtwh", "系统维护", SystemMaintenance),
          command("syspower", "权限管理", PermissionSettings), command("report", "打印管理", PrintSettings),
          addition("M_czjl", "操作记录", MenuAccess::AdminOnly),
          addition("M_zxczy", "在线操作员", MenuAccess::AdminOnly),
          addition("M_dyda", "打印存档", MenuAccess::PrintRight), separator(),
          command("datacopy", "备份数据", Backup), command("backup", "还原数据", Restore),
          addition("M_drsj", "导入数据", MenuAccess::AdminOnly), command("bxwh", "碑型维护", 0), separator(),
          command("M_ckpx", "窗口排序", 0, QKeySequence(Qt::Key_F11))}},
        {QStringLiteral("M_ck"),
         QStringLiteral("&W窗口"),
         false,
         {command("M_ckcd", "层叠", 0), command("M_ckpp", "平铺", 0), separator(),
          command("M_ckgb", "关闭", 0, QKeySequence(Qt::CTRL | Qt::Key_F4)),
          command("M_ckxy", "下一个", 0, QKeySequence(Qt::CTRL | Qt::Key_Tab))}},
        {QStringLiteral("M_about"),
         QStringLiteral("&F〖帮助〗"),
         false,
         {command("M_yhxx", "显示信息", 0), command("M_mrbj", "默认背景", 0), separator(),
          command("M_jszc", "技术支持", 0), command("M_mx", "鸣谢", 0)}},
        {QStringLiteral("m_exit"),
         QStringLiteral("&X〖退出〗"),
         false,
         {command("M_cxdl", "重新登录     ", 0, QKeySequence(Qt::Key_F12)), separator(),
          command("M_tcxt", "退出系统", 0)}},
    };
    return menus;
}
