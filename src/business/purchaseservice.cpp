#include "business/purchaseservice.h"
#include "graves/plotvocabulary.h"

#include "business/plotstatecheck.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "foundation/sqlliteral.h"
#include "shared/numberedplace.h"
#include "shared/session.h"

#include <cmath>

namespace {

const QString undecided = QStringLiteral("未定");

// The fee fields as numbers: each field's leading number, 0 for an empty one.
struct PurchaseFees {
    double land = 0;        // Mask5, stored as 墓地费
    double stone = 0;       // Mask6 "刻字费", stored as 墓碑费
    double family = 0;      // Mask7 "特修费", stored as 家庭墓费
    double labour = 0;      // Mask8 "瓷像费", stored as 工料费
    double greening = 0;    // mask9 绿化费
    double other = 0;       // Mask10 "安葬费", stored as 其它费
    double ratePercent = 0; // Maskbfl, the management fee rate
    double extra = 0;       // Txt_qtf, the one further charge
};

PurchaseFees parseFees(const PurchaseFeeTexts& typed) {
    const auto amount = [](const QString& text) { return Money::parseLeading(text); };
    return {amount(typed.land),     amount(typed.stone), amount(typed.family),      amount(typed.labour),
            amount(typed.greening), amount(typed.other), amount(typed.ratePercent), amount(typed.extra)};
}

FeeTotals totalsOf(const PurchaseFees& fees, double management) {
    FeeTotals totals;
    totals.management = management;
    totals.subtotal = fees.land + fees.stone + fees.family + fees.labour + fees.other;
    totals.total = totals.subtotal + management + fees.greening + fees.extra;
    return totals;
}

QString columnOf(PurchaseService::StoneList list) {
    switch (list) {
    case PurchaseService::StoneList::Type:
        return QStringLiteral("mblx");
    case PurchaseService::StoneList::MainStone:
        return QStringLiteral("zblx");
    case PurchaseService::StoneList::BaseStone:
        return QStringLiteral("dblx");
    }
    return {};
}

} // namespace

PurchaseService::PurchaseService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

FeeTotals PurchaseService::computeFees(const PurchaseFeeTexts& typed) {
    const PurchaseFees fees = parseFees(typed);
    const double base = fees.land + fees.stone + fees.family + fees.labour + fees.other;
    return totalsOf(fees, managementFee(base, fees.ratePercent));
}

FeeTotals PurchaseService::totalsWith(const PurchaseFeeTexts& typed, const QString& typedManagement) {
    return totalsOf(parseFees(typed), Money::parseLeading(typedManagement));
}

PurchaseService::ReferenceLists PurchaseService::referenceLists() {
    ReferenceLists lists;
    lists.stoneTypes << undecided;
    lists.mainStones << undecided;
    lists.baseStones << undecided;
    QSqlQuery stones = m_database.exec(QStringLiteral("SELECT mblx, zblx, dblx FROM mblx ORDER BY rid"), {},
                                       QStringLiteral("读取墓碑类型和材质"));
    while (stones.next()) {
        if (!stones.value(QStringLiteral("mblx")).isNull())
            lists.stoneTypes << stones.value(QStringLiteral("mblx")).toString();
        if (!stones.value(QStringLiteral("zblx")).isNull())
            lists.mainStones << stones.value(QStringLiteral("zblx")).toString();
        if (!stones.value(QStringLiteral("dblx")).isNull())
            lists.baseStones << stones.value(QStringLiteral("dblx")).toString();
    }
    lists.salesmen =
        m_database.texts(QStringLiteral("SELECT 操作员 FROM czy WHERE 级别 = '业务员' ORDER BY rid"), {},
                         QStringLiteral("读取业务员"));
    return lists;
}

bool PurchaseService::learn(StoneList list, const QString& text) {
    const QString value = text.trimmed();
    // "未定" is the lists' own first entry, not a stone type to remember.
    if (value.isEmpty() || value == undecided)
        return false;
    const QString column = columnOf(list);
    return m_database.transaction([&] {
        if (m_database
                .scalar(QStringLiteral("SELECT 1 FROM mblx WHERE ") + column + QStringLiteral(" = ?"),
                        {value}, QStringLiteral("查找墓碑类型和材质"))
                .isValid())
            return false;
        m_database.exec(QStringLiteral("INSERT INTO mblx (") + column + QStringLiteral(") VALUES (?)"),
                        {value}, QStringLiteral("记住新的墓碑类型或材质"));
        return true;
    });
}

std::optional<QString> PurchaseService::takenMeanwhile(const QString& plotKey, bool settling) {
    return plotTakenMeanwhile(m_database, plotKey.trimmed(),
                              settling ? PlotState::reserved : PlotState::free);
}

SaveOutcome PurchaseService::save(const PurchaseForm& form) {
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录的权限！")));
    if (form.contact.trimmed().isEmpty())
        return refused(
            {Prompter::Icon::Information, QStringLiteral("提示"), QStringLiteral("联系人不能为空!")},
            QStringLiteral("Mask1"));
    if (form.useFrom >= form.useUntil)
        return refused(
            {Prompter::Icon::Critical, QStringLiteral("错误"), QStringLiteral("使用日期起止时间错误！")});
    if (form.remark.trimmed().isEmpty()) {
        SaveOutcome outcome;
        outcome.fill = {{QStringLiteral("Mask11"), QStringLiteral("无")}};
        return outcome;
    }

    const QString key = form.plotKey.trimmed();
    const bool settling = form.mode == PurchaseForm::Mode::Settle;
    const PurchaseFees fees = parseFees(form.fees);
    const FeeTotals totals = totalsOf(fees, Money::parseLeading(form.management));
    const qint64 number = Numbered::wholeNumber(form.number);
    struct Sale {
        std::optional<QString> refusal;
        qint64 feeRow = 0;
    };
    const Sale sale = m_database.transaction([&]() -> Sale {
        // The plot must still be in the state the window was opened for, so it is never sold twice.
        const PlotStateCheck check =
            settling ? checkReservation(m_database, form.reservationId, key, QStringLiteral("交清余款"))
                     : checkPlotState(m_database, key, PlotState::free, QStringLiteral("购墓"));
        if (check.refusal)
            return {check.refusal};

        // The registration and the fee row begin alike.
        const QList<Database::Column> common = {
            {QStringLiteral("编号"), number},
            {QStringLiteral("墓碑位置"), key},
            {QStringLiteral("购墓日期"), DateText::fromDate(form.boughtOn)},
            {QStringLiteral("日期起"), DateText::fromDate(form.useFrom)},
            {QStringLiteral("日期止"), DateText::fromDate(form.useUntil)},
            {QStringLiteral("联系人"), form.contact.trimmed()}};
        m_database.insert(
            QStringLiteral("gm_dj"),
            common +
                QList<Database::Column>{
                    {QStringLiteral("操作员"), m_session.operatorName},
                    {QStringLiteral("业务员"), form.salesman},
                    {QStringLiteral("身份证号"),
                     form.idNumber.trimmed().isEmpty() ? QStringLiteral(" ") : form.idNumber.trimmed()},
                    {QStringLiteral("工作单位"), form.workUnit.trimmed()},
                    {QStringLiteral("家庭住址"), form.address.trimmed()},
                    {QStringLiteral("联系电话"), form.phone.trimmed()},
                    {QStringLiteral("底碑材质"), form.baseStone},
                    {QStringLiteral("墓碑类型"), form.stoneType},
                    {QStringLiteral("主碑材质"), form.mainStone},
                    {QStringLiteral("手机"),
                     form.mobile.trimmed().isEmpty() ? QStringLiteral("无") : form.mobile.trimmed()}},
            QStringLiteral("写入购墓登记"));
        m_database.exec(QStringLiteral("UPDATE mq_wz SET 状态 = ?, 寿穴 = ? WHERE rid = ?"),
                        {PlotState::sold, form.advanceBought ? 1 : 0, check.plotRow},
                        QStringLiteral("把墓位改为已购"));
        m_database.notifyChange(ChangeNotifier::Subject::Plots, check.area);

        // A reservation of the plot ends with the sale, after its fee row; its prepaid amount and balance
        // are kept with that row, for its receipt.
        QSqlQuery reservation =
            settling
                ? m_database.exec(QStringLiteral("SELECT id, 预交金额, 余额 FROM ydmd WHERE id = ?"),
                                  {form.reservationId}, QStringLiteral("读取交清余款的预订记录"))
                : m_database.exec(QStringLiteral("SELECT id, 预交金额, 余额 FROM ydmd WHERE 墓碑位置 = ? "
                                                 "ORDER BY id LIMIT 1"),
                                  {key}, QStringLiteral("读取墓位的预订记录"));
        const bool reserved = reservation.next();
        const double prepaid = reserved ? reservation.value(QStringLiteral("预交金额")).toDouble() : 0;
        const double balance = reserved ? reservation.value(QStringLiteral("余额")).toDouble() : 0;
        const QVariant reservationRow = reserved ? reservation.value(QStringLiteral("id")) : QVariant();

        const QDateTime moment = m_clock.now();
        Sale result;
        result.feeRow = m_database.insert(
            QStringLiteral("gm_xf1"),
            common + QList<Database::Column>{{QStringLiteral("联系电话"), form.phone},
                                             {QStringLiteral("手机"), form.mobile},
                                             {QStringLiteral("安葬日期"), QStringLiteral("")},
                                             {QStringLiteral("工作单位"), form.workUnit.trimmed()},
                                             {QStringLiteral("墓地费"), fees.land},
                                             {QStringLiteral("墓碑费"), fees.stone},
                                             {QStringLiteral("家庭墓费"), fees.family},
                                             {QStringLiteral("工料费"), fees.labour},
                                             {QStringLiteral("管理费"), totals.management},
                                             {QStringLiteral("绿化费"), fees.greening},
                                             {QStringLiteral("其它费"), fees.other},
                                             {QStringLiteral("qt"),
                                              QString(form.extraName.trimmed() + QStringLiteral("："))},
                                             {QStringLiteral("qtf"), fees.extra},
                                             {QStringLiteral("小计"), totals.subtotal},
                                             {QStringLiteral("合计"), totals.total},
                                             {QStringLiteral("备注"), form.remark.trimmed()},
                                             {QStringLiteral("操作方式"), QStringLiteral("购墓")},
                                             {QStringLiteral("操作员"), m_session.operatorName},
                                             {QStringLiteral("操作日期"), DateText::fromDateTime(moment)},
                                             {QStringLiteral("预交金额"), prepaid},
                                             {QStringLiteral("余额"), balance}},
            QStringLiteral("写入购墓收费记录"));
        if (reserved) {
            m_database.exec(QStringLiteral("DELETE FROM ydmd WHERE id = ?"), {reservationRow},
                            QStringLiteral("删除已购墓位的预订记录"));
            m_database.notifyChange(ChangeNotifier::Subject::Reservations);
        }

        return result;
    });
    if (sale.refusal)
        return refused(warning(*sale.refusal));

    const PrintJob contactSheet{QStringLiteral("lxr       "), QStringLiteral("lxr"),
                                QStringLiteral("select * from gm_dj where 墓碑位置=") + SqlLiteral::text(key),
                                std::nullopt};
    // The receipt names its fee row by id, so two sales in the same second never print together.
    const PrintJob receipt{
        form.secondReceiptForm ? QStringLiteral("gm1       ") : QStringLiteral("gm        "),
        QStringLiteral("gm"), QStringLiteral("select * from gm_xf1 where id=") + QString::number(sale.feeRow),
        std::nullopt};
    return done(congratulation(QStringLiteral("OK，输入成功！")), {contactSheet, receipt});
}
