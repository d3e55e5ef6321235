#include "business/reservationmaintenanceservice.h"

#include "business/plotstatecheck.h"
#include "foundation/clock.h"
#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/guardedupdate.h"
#include "foundation/money.h"
#include "graves/map/plotmapservice.h"
#include "graves/plotvocabulary.h"

#include <algorithm>

namespace {

double paidNow(const QString& typedTopUp) {
    return std::max(0.0, Money::roundCents(Money::parseLeading(typedTopUp)));
}

} // namespace

ReservationMaintenanceService::ReservationMaintenanceService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

std::optional<Reservation> ReservationMaintenanceService::load(qint64 id) {
    QSqlQuery row = m_database.exec(QStringLiteral("SELECT 墓碑位置, 预交金额, 余额, 编号, 身份证号, 联系人, "
                                                   "家庭住址, 联系电话, 工作单位 FROM ydmd WHERE id = ?"),
                                    {id}, QStringLiteral("读取预订记录"));
    if (!row.next())
        return std::nullopt;
    const auto text = [&row](const char* column) {
        return ColumnText::plain(row.value(QString::fromUtf8(column)));
    };
    return Reservation{id,
                       text("墓碑位置"),
                       row.value(QStringLiteral("预交金额")).toDouble(),
                       row.value(QStringLiteral("余额")).toDouble(),
                       text("编号"),
                       text("身份证号"),
                       text("联系人"),
                       text("家庭住址"),
                       text("联系电话"),
                       text("工作单位")};
}

TopUp ReservationMaintenanceService::topUp(const Reservation& loaded, const QString& typedTopUp) {
    const double paid = paidNow(typedTopUp);
    return {Money::roundCents(loaded.prepaid + paid), Money::roundCents(loaded.balance - paid)};
}

SaveOutcome ReservationMaintenanceService::save(const Reservation& loaded, const MaintenanceForm& form) {
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录的权限")));
    const double received = Money::roundCents(Money::parseLeading(form.received));
    if (received < 0)
        return refused(warning(QStringLiteral("预交金额不能为空！")), QString(), QStringLiteral("Mask1"));
    if (form.contact.trimmed().isEmpty())
        return refused(warning(QStringLiteral("联系人状况各项不能为空！")));

    // The top-up is added to what is stored, so that a payment taken at another desk meanwhile stays.
    // An amount typed over the one shown is a correction of the stored one, and guarded like the contact.
    const double paid = paidNow(form.topUp);
    const TopUp shown = topUp(loaded, form.topUp);
    const double balance = Money::roundCents(Money::parseLeading(form.balance));
    const std::optional<QString> stale = m_database.transaction([&]() -> std::optional<QString> {
        const PlotStateCheck check =
            checkReservation(m_database, loaded.id, loaded.key, QStringLiteral("修改预订"));
        if (check.refusal)
            return check.refusal;
        const QString doing = QStringLiteral("修改预订记录");
        GuardedUpdate update(m_database, QStringLiteral("ydmd"), QStringLiteral("id = ?"), {loaded.id});
        update.edit(QStringLiteral("联系人"), loaded.contact, form.contact.trimmed())
            .edit(QStringLiteral("家庭住址"), loaded.address, form.address.trimmed())
            .edit(QStringLiteral("联系电话"), loaded.phone, form.phone.trimmed())
            .edit(QStringLiteral("工作单位"), loaded.workUnit, form.workUnit.trimmed())
            .set(QStringLiteral("补交金额"), paid)
            .set(QStringLiteral("操作员"), m_session.operatorName)
            .set(QStringLiteral("操作时间"), DateText::fromDateTime(m_clock.now()));
        const bool receivedCorrected = received != shown.received;
        const bool balanceCorrected = balance != shown.balance;
        if (receivedCorrected)
            update.edit(QStringLiteral("预交金额"), loaded.prepaid, received);
        if (balanceCorrected)
            update.edit(QStringLiteral("余额"), loaded.balance, balance);
        const GuardedUpdate::Result written = update.run(doing);
        if (written == GuardedUpdate::Result::Stale || written == GuardedUpdate::Result::Gone)
            return GuardedUpdate::staleText();
        // Rounded in SQL to whole cents, as every stored amount is.
        QStringList sums;
        QVariantList values;
        if (!receivedCorrected) {
            sums << QStringLiteral("预交金额 = ROUND(CAST(COALESCE(预交金额, 0) + ? AS NUMERIC), 2)");
            values << paid;
        }
        if (!balanceCorrected) {
            sums << QStringLiteral("余额 = ROUND(CAST(COALESCE(余额, 0) - ? AS NUMERIC), 2)");
            values << paid;
        }
        if (paid > 0 && !sums.isEmpty())
            m_database.exec(
                QStringLiteral("UPDATE ydmd SET %1 WHERE id = ?").arg(sums.join(QStringLiteral(", "))),
                values << loaded.id, doing);
        m_database.notifyChange(ChangeNotifier::Subject::Reservations);
        return std::nullopt;
    });
    if (stale)
        return refused(warning(*stale));
    return done(congratulation(QStringLiteral("OK，修改成功！")),
                {PrintJob{QStringLiteral("  ydmd1   "), QStringLiteral("ydmd1"),
                          QStringLiteral("select * from ydmd where id=") + QString::number(loaded.id),
                          std::nullopt}});
}

SaveOutcome ReservationMaintenanceService::cancel(const Reservation& loaded, const MaintenanceForm& form,
                                                  Prompter& prompter) {
    if (m_session.flags.deleteDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有删除记录的权限")));
    if (prompter.ask(QStringLiteral("删除"), QStringLiteral("您确信要取消预订墓碑位置： ") + loaded.key +
                                                 QStringLiteral(" 的记录么？")) != Prompter::Answer::Yes)
        return {};
    const std::optional<QString> answer =
        prompter.inputText(QStringLiteral("预订退费"), QStringLiteral("请输入退费金额： "));
    if (!answer || answer->trimmed().isEmpty())
        return {};
    // A typo must not cancel the reservation with a refund of 0.
    const std::optional<double> refund = Money::parseStrict(*answer);
    if (!refund || *refund < 0)
        return refused({Prompter::Icon::Information, QStringLiteral("退费"),
                        QStringLiteral("退费金额不能小于零或为空！")});

    struct Cancelled {
        std::optional<QString> stale;
        qint64 refundRow = 0;
    };
    const Cancelled cancelled = m_database.transaction([&]() -> Cancelled {
        const PlotStateCheck check =
            checkReservation(m_database, loaded.id, loaded.key, QStringLiteral("取消预订"));
        if (check.refusal)
            return {check.refusal};
        // A refund typed against the amount the window showed: a top-up meanwhile paid in more.
        if (!GuardedUpdate::same(m_database.scalar(QStringLiteral("SELECT 预交金额 FROM ydmd WHERE id = ?"),
                                                   {loaded.id}, QStringLiteral("读取预订记录")),
                                 loaded.prepaid))
            return {GuardedUpdate::staleText()};
        m_database.exec(QStringLiteral("DELETE FROM ydmd WHERE id = ?"), {loaded.id},
                        QStringLiteral("删除预订记录"));
        const qint64 refundRow = m_database.insert(
            QStringLiteral("yd_tm"),
            {{QStringLiteral("墓碑位置"), loaded.key},
             {QStringLiteral("联系人"), form.contact.trimmed()},
             {QStringLiteral("家庭住址"), form.address.trimmed()},
             {QStringLiteral("联系电话"), form.phone.trimmed()},
             {QStringLiteral("工作单位"), form.workUnit.trimmed()},
             {QStringLiteral("退费金额"), Money::roundCents(*refund)},
             {QStringLiteral("操作员"), m_session.operatorName},
             {QStringLiteral("编号"), loaded.number.isEmpty() ? QVariant() : QVariant(loaded.number)},
             {QStringLiteral("操作时间"), DateText::fromDateTime(m_clock.now())}},
            QStringLiteral("写入预订退费记录"));
        m_database.exec(QStringLiteral("UPDATE mq_wz SET 状态 = ? WHERE rid = ?"),
                        {PlotState::free, check.plotRow}, QStringLiteral("把墓位改为未使用"));
        m_database.notifyChange(ChangeNotifier::Subject::Plots, check.area);
        m_database.notifyChange(ChangeNotifier::Subject::Reservations);
        return {std::nullopt, refundRow};
    });
    if (cancelled.stale)
        return refused(warning(*cancelled.stale));
    // The receipt names its refund row, never a moment two cancellations could share.
    return done(
        congratulation(QStringLiteral("OK，输入成功！")),
        {PrintJob{QStringLiteral("gm_ydtm   "), QStringLiteral("gm_ydtm"),
                  QStringLiteral("select * from yd_tm where rid=") + QString::number(cancelled.refundRow),
                  std::nullopt}});
}

Settlement ReservationMaintenanceService::settlement(const Reservation& loaded) {
    Settlement settlement;
    const PlotStateCheck check =
        checkReservation(m_database, loaded.id, loaded.key, QStringLiteral("交清余款"));
    if (check.refusal) {
        settlement.refusal = warning(*check.refusal);
        return settlement;
    }
    settlement.plot = PlotMapService(m_database).choose(loaded.key).value_or(ChosenPlot{});
    return settlement;
}
