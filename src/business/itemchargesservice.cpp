#include "business/itemchargesservice.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "shared/chargelines.h"
#include "shared/session.h"

ItemChargesService::ItemChargesService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

double ItemChargesService::grandTotal(const ItemChargeForm& form) {
    double total = 0;
    for (int item = 0; item < ItemChargeForm::itemCount; ++item)
        total += ChargeLines::lineTotal(form.unitPrices[item], form.quantities[item]);
    for (const QString* service : {&form.construction, &form.luckyNumber, &form.jointBurial, &form.transport,
                                   &form.reburial, &form.vehicle, &form.specialRepair, &form.furtherAmount})
        total += ChargeLines::fee(*service);
    return Money::roundCents(total);
}

SaveOutcome ItemChargesService::save(const ItemChargeForm& form) {
    const QDateTime moment = m_clock.now();
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录的权限！")));
    const double total = grandTotal(form);
    if (total == 0)
        return refused(notice(QStringLiteral("合计不能为零！")));
    if (form.plotKey.trimmed().isEmpty())
        return refused(notice(QStringLiteral("墓碑位置不能为空！")));
    if (form.contact.trimmed().isEmpty())
        return refused(notice(QStringLiteral("联系人不能为空！")));

    // The six goods, each with its unit price, quantity and line total.
    static const char* const goods[ItemChargeForm::itemCount] = {"公墓证", "香币", "塑料袋",
                                                                 "瓷像",   "刻字", "镏金"};
    QList<Database::Column> columns =
        QList<Database::Column>{{QStringLiteral("墓碑位置"), form.plotKey.trimmed()},
                                {QStringLiteral("联系人"), form.contact.trimmed()}} +
        ChargeLines::goodsColumns(goods, form.unitPrices, form.quantities);
    columns << Database::Column{QStringLiteral("施工"), ChargeLines::fee(form.construction)}
            << Database::Column{QStringLiteral("吉祥号"), ChargeLines::fee(form.luckyNumber)}
            << Database::Column{QStringLiteral("合墓"), ChargeLines::fee(form.jointBurial)}
            << Database::Column{QStringLiteral("外运"), ChargeLines::fee(form.transport)}
            << Database::Column{QStringLiteral("二次安葬"), ChargeLines::fee(form.reburial)}
            << Database::Column{QStringLiteral("车费"), ChargeLines::fee(form.vehicle)}
            << Database::Column{QStringLiteral("特修"), ChargeLines::fee(form.specialRepair)}
            << Database::Column{QStringLiteral("QT"), form.furtherName.trimmed()}
            << Database::Column{QStringLiteral("QTF"), ChargeLines::fee(form.furtherAmount)}
            << Database::Column{QStringLiteral("合计"), total}
            << Database::Column{QStringLiteral("操作人"), m_session.operatorName}
            << Database::Column{QStringLiteral("操作日期"), DateText::fromDateTime(moment)}
            << Database::Column{QStringLiteral("编号"),
                                form.number.isEmpty() ? QStringLiteral(" ") : form.number};

    const qint64 row = m_database.transaction([&] {
        return m_database.insert(QStringLiteral("gm_qtf"), columns, QStringLiteral("写入公墓用品收费记录"));
    });

    // The receipt names its row exactly, so two sales in the same second never print together.
    return done(congratulation(QStringLiteral("输入成功！")),
                {PrintJob{QStringLiteral("gm_qtf    "), QStringLiteral("gm_qtf"),
                          QStringLiteral("select * from gm_qtf where rid=%1").arg(row), std::nullopt}});
}
