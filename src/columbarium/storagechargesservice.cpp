#include "columbarium/storagechargesservice.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "shared/chargelines.h"
#include "shared/session.h"

StorageChargesService::StorageChargesService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

double StorageChargesService::grandTotal(const StorageChargeForm& form) {
    double total = ChargeLines::fee(form.layerFee) + ChargeLines::fee(form.otherFee);
    for (int item = 0; item < StorageChargeForm::itemCount; ++item)
        total += ChargeLines::lineTotal(form.unitPrices[item], form.quantities[item]);
    return Money::roundCents(total);
}

SaveOutcome StorageChargesService::save(const StorageChargeForm& form) {
    const QDateTime moment = m_clock.now();
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录权限！")));
    const double total = grandTotal(form);
    if (total == 0)
        return refused(notice(QStringLiteral("合计不能为零！")));
    if (form.nicheKey.trimmed().isEmpty())
        return refused(notice(QStringLiteral("存放位置不能为空！")), QStringLiteral("MaskWZ"));
    if (form.contact.trimmed().isEmpty())
        return refused(notice(QStringLiteral("联系人不能为空！")), QStringLiteral("MaskLXR"));

    static const char* const goods[StorageChargeForm::itemCount] = {"寄存证", "香币", "小牌位", "瓷像"};
    const QList<Database::Column> columns =
        QList<Database::Column>{{QStringLiteral("存放位置"), form.nicheKey.trimmed()},
                                {QStringLiteral("联系人"), form.contact.trimmed()}} +
        ChargeLines::goodsColumns(goods, form.unitPrices, form.quantities) +
        QList<Database::Column>{{QStringLiteral("层次费"), ChargeLines::fee(form.layerFee)},
                                {QStringLiteral("其它费"), ChargeLines::fee(form.otherFee)},
                                {QStringLiteral("总计"), total},
                                {QStringLiteral("操作员"), m_session.operatorName},
                                {QStringLiteral("操作日期"), DateText::fromDateTime(moment)}};
    const qint64 row = m_database.transaction([&] {
        return m_database.insert(QStringLiteral("GHJC_XF2"), columns, QStringLiteral("写入寄存用品收费记录"));
    });
    // The receipt names its row exactly, so two sales in the same second never print together.
    return done(plain(QStringLiteral("输入成功！")),
                {PrintJob{QStringLiteral("jc_xf2"), QStringLiteral("jc_xf2"),
                          QStringLiteral("select * from GHJC_XF2 where rid=%1").arg(row), std::nullopt}});
}
