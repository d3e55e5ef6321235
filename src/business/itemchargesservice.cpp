#include "itemchargesservice.h"

#include "clock.h"
#include "database.h"
#include "datetext.h"
#include "money.h"
#include "session.h"

namespace {

double amount(const QString& text) {
    return Money::parseLeading(text);
}

SaveOutcome refused(const Message& message) {
    return {false, message, {}};
}

SaveOutcome notice(const QString& text) {
    return refused({Prompter::Icon::Information, QStringLiteral("提示"), text});
}

} // namespace

ItemChargesService::ItemChargesService(Database& database, const Session& session, const Clock& clock)
    : m_database(database), m_session(session), m_clock(clock) {}

double ItemChargesService::lineTotal(const QString& unitPrice, const QString& quantity) {
    return Money::roundCents(amount(unitPrice) * amount(quantity));
}

double ItemChargesService::grandTotal(const ItemChargeForm& form) {
    double total = 0;
    for (int item = 0; item < ItemChargeForm::itemCount; ++item)
        total += lineTotal(form.unitPrices[item], form.quantities[item]);
    for (const QString* service : {&form.construction, &form.luckyNumber, &form.jointBurial, &form.transport,
                                   &form.reburial, &form.vehicle, &form.specialRepair, &form.furtherAmount})
        total += amount(*service);
    return Money::roundCents(total);
}

SaveOutcome ItemChargesService::save(const ItemChargeForm& form) {
    const QDateTime moment = m_clock.now();
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录的权限！")));
    const double total = grandTotal(form);
    if (total == 0)
        return notice(QStringLiteral("合计不能为零！"));
    if (form.plotKey.trimmed().isEmpty())
        return notice(QStringLiteral("墓碑位置不能为空！"));
    if (form.contact.trimmed().isEmpty())
        return notice(QStringLiteral("联系人不能为空！"));

    QVariantList values = {form.plotKey.trimmed(), form.contact.trimmed()};
    for (int item = 0; item < ItemChargeForm::itemCount; ++item)
        values << amount(form.unitPrices[item]) << amount(form.quantities[item])
               << lineTotal(form.unitPrices[item], form.quantities[item]);
    values << amount(form.construction) << amount(form.luckyNumber) << amount(form.jointBurial)
           << amount(form.transport) << amount(form.reburial) << amount(form.vehicle)
           << amount(form.specialRepair) << form.furtherName.trimmed() << amount(form.furtherAmount) << total
           << m_session.operatorName << DateText::fromDateTime(moment)
           << (form.number.isEmpty() ? QStringLiteral(" ") : form.number);

    qint64 row = 0;
    m_database.transaction([&] {
        const QSqlQuery insert =
            m_database.exec(QStringLiteral("INSERT INTO gm_qtf (墓碑位置, 联系人, 公墓证, 数量1, 合计1, "
                                           "香币, 数量2, 合计2, 塑料袋, 数量3, 合计3, "
                                           "瓷像, 数量4, 合计4, 刻字, 数量5, 合计5, 镏金, 数量6, 合计6, "
                                           "施工, 吉祥号, 合墓, 外运, 二次安葬, "
                                           "车费, 特修, QT, QTF, 合计, 操作人, 操作日期, 编号) "
                                           "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                           "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                           "?, ?)"),
                            values, QStringLiteral("写入公墓用品收费记录"));
        row = insert.lastInsertId().toLongLong();
    });

    // The receipt names its row exactly, so two sales in the same second never print together.
    return {true,
            congratulation(QStringLiteral("输入成功！")),
            {PrintJob{QStringLiteral("gm_qtf    "), QStringLiteral("gm_qtf"),
                      QStringLiteral("select * from gm_qtf where rowid=%1").arg(row), std::nullopt}}};
}
