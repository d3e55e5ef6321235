#include "business/reservationservice.h"
#include "graves/plotvocabulary.h"

#include "business/plotstatecheck.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "foundation/sqlliteral.h"
#include "shared/session.h"

ReservationService::ReservationService(Database& database, const Session& session)
    : m_database(database), m_session(session) {}

std::optional<double> ReservationService::balanceFor(const QString& agreedPrice, const QString& prepaid) {
    const double agreed = Money::parseLeading(agreedPrice);
    if (agreed <= 0)
        return std::nullopt;
    return Money::roundCents(agreed - Money::parseLeading(prepaid));
}

std::optional<QString> ReservationService::takenMeanwhile(const QString& plotKey) {
    return plotTakenMeanwhile(m_database, plotKey.trimmed(), PlotState::free);
}

SaveOutcome ReservationService::reserve(const ReservationForm& form) {
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录的权限")));
    const std::optional<double> prepaid = Money::parseStrict(form.prepaid);
    if (!prepaid)
        return refused(warning(QStringLiteral("请输入正确的预交金额！")), QStringLiteral("Mask1"),
                       QStringLiteral("Mask1"));
    if (*prepaid < 0)
        return refused(warning(QStringLiteral("预交金额不能为空！")), QString(), QStringLiteral("Mask1"));
    const double agreed = Money::parseLeading(form.agreedPrice);
    if (agreed <= 0)
        return refused(warning(QStringLiteral("成交金额不能为空！")), QString(), QStringLiteral("Mask6"));

    const QString key = form.plotKey.trimmed();
    const QString number = form.number.trimmed();
    const std::optional<QString> refusal = m_database.transaction([&]() -> std::optional<QString> {
        // The map showed the plot free; it must still be free when the reservation lands.
        const PlotStateCheck check = checkPlotState(m_database, key, PlotState::free, QStringLiteral("预订"));
        if (check.refusal)
            return check.refusal;
        m_database.insert(
            QStringLiteral("ydmd"),
            {{QStringLiteral("墓碑位置"), key},
             {QStringLiteral("联系人"), form.contact.trimmed()},
             {QStringLiteral("身份证号"), form.idNumber.trimmed()},
             {QStringLiteral("家庭住址"), form.address.trimmed()},
             {QStringLiteral("联系电话"), form.phone.trimmed()},
             {QStringLiteral("工作单位"), form.workUnit.trimmed()},
             {QStringLiteral("预交金额"), *prepaid},
             {QStringLiteral("成交金额"), agreed},
             {QStringLiteral("编号"), number.isEmpty() ? QVariant() : QVariant(Money::parseLeading(number))},
             {QStringLiteral("余额"), Money::parseLeading(form.balance)},
             {QStringLiteral("操作员"), m_session.operatorName},
             {QStringLiteral("操作时间"), DateText::fromDate(form.reservedOn)},
             {QStringLiteral("提醒日期"), DateText::fromDate(form.remindOn)},
             {QStringLiteral("需要提醒"), 1}},
            QStringLiteral("写入预订记录"));
        m_database.exec(QStringLiteral("UPDATE mq_wz SET 状态 = ? WHERE rid = ?"),
                        {PlotState::reserved, check.plotRow}, QStringLiteral("把墓位改为已预订"));
        m_database.notifyChange(ChangeNotifier::Subject::Plots, check.area);
        m_database.notifyChange(ChangeNotifier::Subject::Reservations);
        return std::nullopt;
    });
    if (refusal)
        return refused(warning(*refusal));

    return done(congratulation(QStringLiteral("OK，输入成功！")),
                {PrintJob{QStringLiteral("  ydmd   "), QStringLiteral("ydmd"),
                          QStringLiteral("select * from ydmd where 墓碑位置=") + SqlLiteral::text(key),
                          std::nullopt}});
}
