#include "shared/rights.h"

#include "foundation/printbridge.h"
#include "shared/session.h"

namespace Rights {

const QStringList& itemCaptions() {
    static const QStringList captions = {
        QStringLiteral("寄存设置"),
        QStringLiteral("寄存登记"),
        QStringLiteral("寄存维护"),
        QStringLiteral("寄存故者档案"),
        QStringLiteral("寄存过期提醒"),
        QStringLiteral("设置墓位"),
        QStringLiteral("墓位选购"),
        QStringLiteral("落葬登记"),
        QStringLiteral("预定维护"),
        QStringLiteral("墓地故者档案"),
        QStringLiteral("墓地使用过期提醒"),
        QStringLiteral("寄存物品收费"),
        QStringLiteral("寄存收费统计"),
        QStringLiteral("墓地物品收费"),
        QStringLiteral("墓地收费统计"),
        QStringLiteral("骨灰寄存自定义日期统计"),
        QStringLiteral("骨灰寄存自定义年统计"),
        QStringLiteral("公墓销售自定义日期统计"),
        QStringLiteral("公墓销售自定义年统计"),
        QStringLiteral("碑型销售自定义统计"),
        QStringLiteral("系统维护"),
        QStringLiteral("权限设置"),
        QStringLiteral("打印设置"),
        QStringLiteral("备份数据"),
        QStringLiteral("还原数据"),
        QStringLiteral("墓地图示"),
        QStringLiteral("春节点灯查询"),
        QStringLiteral("预定墓位"),
        QStringLiteral("直接购墓"),
        QStringLiteral("预定过期记录"),
        QStringLiteral("墓区预定自定义日期统计"),
        QStringLiteral("墓区销售自定义日期统计"),
        QStringLiteral("墓区安葬自定义日期统计"),
        QStringLiteral("墓区价格范围自定义日期统计"),
        QStringLiteral("业务员销售墓位自定义日期统计"),
        QStringLiteral("销售控制"),
        QStringLiteral("建墓施工"),
        QStringLiteral("施工验收"),
        QStringLiteral("施工查询"),
        QStringLiteral("验收查询"),
    };
    return captions;
}

const QList<ReportEntry>& reportCatalogue() {
    static const QList<ReportEntry> catalogue = {
        {QStringLiteral("碑型销售统计表"), QStringLiteral("bxxstj")},
        {QStringLiteral("骨灰寄存自定义年统计表"), QStringLiteral("ghjcntj")},
        {QStringLiteral("骨灰寄存自定义日期统计表"), QStringLiteral("ghjcrqdy")},
        {QStringLiteral("购墓收费表"), QStringLiteral("gm")},
        {QStringLiteral("落葬通知单"), QStringLiteral("dj")},
        {QStringLiteral("墓地使用到期联系表"), QStringLiteral("gm_djlxb")},
        {QStringLiteral("公墓证收费"), QStringLiteral("gm_gmzsf")},
        {QStringLiteral("续费收费单"), QStringLiteral("gm_jxf")},
        {QStringLiteral("公墓其他费收费单"), QStringLiteral("gm_qtf")},
        {QStringLiteral("公墓退费统计表"), QStringLiteral("gm_tf")},
        {QStringLiteral("墓区续费统计表"), QStringLiteral("gm_tj1")},
        {QStringLiteral("墓区三产统计表"), QStringLiteral("gm_tj2")},
        {QStringLiteral("退墓凭票"), QStringLiteral("gm_tm")},
        {QStringLiteral("已使用的墓位列表"), QStringLiteral("wz")},
        {QStringLiteral("预定公墓收费表"), QStringLiteral("ydmd")},
        {QStringLiteral("预定退费单"), QStringLiteral("gm_ydtm")},
        {QStringLiteral("公墓证中故者信息"), QStringLiteral("gz")},
        {QStringLiteral("公墓证中联系人信息"), QStringLiteral("lxr")},
        {QStringLiteral("公墓证中有效时间"), QStringLiteral("yxsj")},
        {QStringLiteral("安放(落葬)须知"), QStringLiteral("af")},
        {QStringLiteral("寄存证中故者信息"), QStringLiteral("gz_jc")},
        {QStringLiteral("寄存证中联系人信息"), QStringLiteral("lxr_jc")},
        {QStringLiteral("寄存证中有效期限"), QStringLiteral("yxsj_jc")},
        {QStringLiteral("骨灰寄存登记表"), QStringLiteral("jc_dj")},
        {QStringLiteral("骨灰寄存到期联系表"), QStringLiteral("jc_djlxb")},
        {QStringLiteral("骨灰寄存退费表"), QStringLiteral("jc_tf")},
        {QStringLiteral("骨灰寄存收费统计表"), QStringLiteral("jc_tj")},
        {QStringLiteral("寄存收费统计表"), QStringLiteral("jc_tj2")},
        {QStringLiteral("寄存续存单"), QStringLiteral("jc_xc")},
        {QStringLiteral("骨灰寄存收费单"), QStringLiteral("jc_xf1")},
        {QStringLiteral("寄存收费表"), QStringLiteral("jc_xf2")},
        {QStringLiteral("寄存退费统计表"), QStringLiteral("jctf_tj")},
        {QStringLiteral("未使用的寄存位置列表"), QStringLiteral("jcwzs")},
        {QStringLiteral("墓位销售统计"), QStringLiteral("mwxstj")},
        {QStringLiteral("自定义年墓位销售统计"), QStringLiteral("year")},
        {QStringLiteral("春节点灯收费单"), QStringLiteral("gm_cjddsf")},
        {QStringLiteral("春节点灯汇总表"), QStringLiteral("gm_cjddhz")},
        {QStringLiteral("预定公墓补交单"), QStringLiteral("ydmd1")},
        {QStringLiteral("发证机关信息"), QStringLiteral("fz")},
        {QStringLiteral("公墓证中女故者信息"), QStringLiteral("g")},
    };
    return catalogue;
}

QString fullReportList() {
    QString list;
    for (const auto& entry : reportCatalogue())
        list += QLatin1Char(',') + entry.name + QLatin1Char(',');
    return list;
}

int permissionDigit(const QString& permissionString, int item) {
    if (item < 1 || item > permissionString.size())
        return 0;
    bool ok = false;
    const int digit = QString(permissionString.at(item - 1)).toInt(&ok, 16);
    return ok ? digit : 0;
}

bool checkItem(Session& session, int item) {
    const int digit = permissionDigit(session.permissionString, item);
    if (!(digit & 1))
        return false;
    session.flags.addDenied = !(digit & 2) || session.denials.add;
    session.flags.modifyDenied = !(digit & 4) || session.denials.modify;
    session.flags.deleteDenied = !(digit & 8) || session.denials.remove;
    return true;
}

bool reportListAllows(const QString& reportList, const QString& reportName) {
    return reportList.contains(QLatin1Char(',') + reportName + QLatin1Char(','));
}

PrintRights printRights(const Session& session) {
    return {[&session] { return session.operatorName; },
            [&session](const PrintJob& job) {
                if (!job.ignoresPrintFlag && session.flags.printDenied)
                    return false;
                return reportListAllows(session.reportList, job.listName.value_or(QString()));
            }};
}

} // namespace Rights
