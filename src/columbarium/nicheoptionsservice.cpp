#include "columbarium/nicheoptionsservice.h"

#include "foundation/money.h"
#include "shared/session.h"

NicheOptionsService::NicheOptionsService(Database& database, const Clock& clock)
    : m_memos(database, clock,
              {QStringLiteral("jc_bwl"), QStringLiteral("寄存位置"), QStringLiteral("操作时间"),
               QStringLiteral("备忘内容"), QStringLiteral("您确信要删除id： %1 的记录吗？")}) {}

QString NicheOptionsService::line(const ChosenNiche& niche) {
    return QStringLiteral("当前位置： ") + niche.key + QStringLiteral(" -- 价位： ") +
           Money::format(niche.price);
}
