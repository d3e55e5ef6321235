#include "business/gravereturnservice.h"

#include "business/plotstatecheck.h"
#include "business/registerrows.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "graves/plotvocabulary.h"
#include "shared/session.h"

GraveReturnService::GraveReturnService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

std::optional<ReturnSheet> GraveReturnService::load(const QString& key) {
    const std::optional<StoredRow> registration =
        RegisterRows::read(m_database, key, RegisterRows::Which::First,
                           {QStringLiteral("日期起"), QStringLiteral("日期止"), QStringLiteral("联系人"),
                            QStringLiteral("工作单位"), QStringLiteral("联系电话")},
                           QStringLiteral("读取墓位的登记"));
    if (!registration)
        return std::nullopt;
    ReturnSheet sheet;
    sheet.key = key;
    sheet.useFrom = registration->date(QStringLiteral("日期起"));
    sheet.useUntil = registration->date(QStringLiteral("日期止"));
    sheet.contact = registration->text(QStringLiteral("联系人"));
    sheet.workUnit = registration->text(QStringLiteral("工作单位"));
    sheet.phone = registration->text(QStringLiteral("联系电话"));

    QSqlQuery fee = m_database.exec(
        QStringLiteral("SELECT 墓地费, 墓碑费, 家庭墓费, 工料费, 其它费, 绿化费, 管理费 FROM gm_xf1 "
                       "WHERE 墓碑位置 = ? AND 操作方式 = '购墓' ORDER BY id DESC LIMIT 1"),
        {key}, QStringLiteral("读取购墓收费记录"));
    if (fee.next())
        sheet.paid = PaidForPlot{
            fee.value(QStringLiteral("墓地费")).toDouble(),   fee.value(QStringLiteral("墓碑费")).toDouble(),
            fee.value(QStringLiteral("家庭墓费")).toDouble(), fee.value(QStringLiteral("工料费")).toDouble(),
            fee.value(QStringLiteral("其它费")).toDouble(),   fee.value(QStringLiteral("绿化费")).toDouble(),
            fee.value(QStringLiteral("管理费")).toDouble()};
    return sheet;
}

SaveOutcome GraveReturnService::save(const ReturnForm& form, Prompter& prompter) {
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录的权限！")));
    const QString key = form.plotKey.trimmed();
    // The plot's whole history goes; that cannot be taken back.
    if (prompter.ask(QStringLiteral("删除"),
                     QStringLiteral("您确信要退墓墓碑位置： ") + key +
                         QStringLiteral(" 吗？(退墓后，此墓的登记、收费和落葬记录将被删除)")) !=
        Prompter::Answer::Yes)
        return {};

    const auto amount = [](const QString& text) { return Money::parseLeading(text); };
    const FeeTotals totals = PurchaseService::totalsWith(form.refund, form.management);
    struct Returned {
        std::optional<QString> refusal;
        qint64 refundRow = 0;
    };
    const Returned returned = m_database.transaction([&]() -> Returned {
        const PlotStateCheck check = checkPlotState(m_database, key, PlotState::sold, QStringLiteral("退墓"));
        if (check.refusal)
            return {check.refusal};
        const std::optional<StoredRow> first = RegisterRows::read(
            m_database, key, RegisterRows::Which::First, {QStringLiteral("编号"), QStringLiteral("日期止")},
            QStringLiteral("读取墓位的编号"));
        // A renewal since the window opened was paid for and would go unrefunded with the rest.
        if (form.shownUntil.isValid() && (!first || first->date(QStringLiteral("日期止")) != form.shownUntil))
            return {QStringLiteral("此记录已被其他操作员修改，请重新打开后再修改！")};
        const QVariant number = first ? first->value(QStringLiteral("编号")) : QVariant();
        for (const QString& table :
             {QStringLiteral("gm_dj"), QStringLiteral("gm_xf1"), QStringLiteral("gm_xr")})
            m_database.exec(QStringLiteral("DELETE FROM ") + table + QStringLiteral(" WHERE 墓碑位置 = ?"),
                            {key}, QStringLiteral("删除退墓墓位的记录（%1）").arg(table));
        m_database.exec(QStringLiteral("UPDATE mq_wz SET 寿穴 = 0, 状态 = ? WHERE rid = ?"),
                        {PlotState::free, check.plotRow}, QStringLiteral("把墓位改为未使用"));
        const QString remark = form.remark.trimmed();
        const qint64 refundRow =
            m_database.insert(QStringLiteral("mq_tm"),
                              {{QStringLiteral("墓碑位置"), key},
                               {QStringLiteral("联系人"), form.contact},
                               {QStringLiteral("工作单位"), form.workUnit},
                               {QStringLiteral("联系电话"), form.phone},
                               {QStringLiteral("墓地费"), amount(form.refund.land)},
                               {QStringLiteral("墓碑费"), amount(form.refund.stone)},
                               {QStringLiteral("家庭墓费"), amount(form.refund.family)},
                               {QStringLiteral("工料费"), amount(form.refund.labour)},
                               {QStringLiteral("其它费"), amount(form.refund.other)},
                               {QStringLiteral("小计"), Money::roundCents(totals.subtotal)},
                               {QStringLiteral("绿化费"), amount(form.refund.greening)},
                               {QStringLiteral("管理费"), totals.management},
                               {QStringLiteral("合计"), Money::roundCents(totals.total)},
                               {QStringLiteral("编号"), number},
                               {QStringLiteral("备注"), remark.isEmpty() ? QStringLiteral("无") : remark},
                               {QStringLiteral("操作员"), m_session.operatorName},
                               {QStringLiteral("操作日期"), DateText::fromDateTime(m_clock.now())}},
                              QStringLiteral("写入退墓退费记录"));
        m_database.notifyChange(ChangeNotifier::Subject::Plots, check.area);
        return {std::nullopt, refundRow};
    });
    if (returned.refusal)
        return refused(warning(*returned.refusal));
    // The receipt names its refund row, never a moment two returns could share.
    return done(
        congratulation(QStringLiteral("操作成功！")),
        {PrintJob{QStringLiteral("gm_tm     "), QStringLiteral("gm_tm"),
                  QStringLiteral("select * from mq_tm where rid=") + QString::number(returned.refundRow),
                  std::nullopt}});
}
