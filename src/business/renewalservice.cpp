#include "business/renewalservice.h"

#include "business/plotstatecheck.h"
#include "business/purchaseservice.h"
#include "business/registerrows.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "graves/plotvocabulary.h"
#include "shared/session.h"

RenewalService::RenewalService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

std::optional<RenewalSheet> RenewalService::load(const QString& key) {
    // The latest registration speaks for the plot: its contact is the one who renews now.
    const std::optional<StoredRow> registration =
        RegisterRows::read(m_database, key, RegisterRows::Which::Last,
                           {QStringLiteral("联系人"), QStringLiteral("工作单位"), QStringLiteral("家庭住址"),
                            QStringLiteral("联系电话"), QStringLiteral("身份证号"),
                            QStringLiteral("墓碑类型"), QStringLiteral("主碑材质"),
                            QStringLiteral("购墓日期"), QStringLiteral("日期起"), QStringLiteral("日期止")},
                           QStringLiteral("读取墓位的登记"));
    if (!registration)
        return std::nullopt;
    const auto text = [&](const char* column) { return registration->text(QString::fromUtf8(column)); };
    RenewalSheet sheet;
    sheet.key = key;
    sheet.contact = text("联系人");
    sheet.workUnit = text("工作单位");
    sheet.address = text("家庭住址");
    sheet.phone = text("联系电话");
    sheet.idNumber = text("身份证号");
    sheet.stoneType = text("墓碑类型");
    sheet.mainStone = text("主碑材质");
    sheet.boughtOn = DateText::toDate(text("购墓日期"));
    sheet.useFrom = DateText::toDate(text("日期起"));
    sheet.useUntil = DateText::toDate(text("日期止"));

    QSqlQuery plot = m_database.exec(
        QStringLiteral("SELECT 墓地费, 墓碑费, 家族费, 工料费, 其它 FROM mq_wz WHERE 墓碑位置 = ? LIMIT 1"),
        {key}, QStringLiteral("读取墓位的价格"));
    if (plot.next()) {
        sheet.land = plot.value(QStringLiteral("墓地费")).toDouble();
        sheet.stone = plot.value(QStringLiteral("墓碑费")).toDouble();
        sheet.family = plot.value(QStringLiteral("家族费")).toDouble();
        sheet.labour = plot.value(QStringLiteral("工料费")).toDouble();
        sheet.other = plot.value(QStringLiteral("其它")).toDouble();
    }
    return sheet;
}

RenewalTotals RenewalService::computeFees(const RenewalFeeTexts& typed) {
    const auto amount = [](const QString& text) { return Money::parseLeading(text); };
    const double extra = amount(typed.extra);
    const double base = amount(typed.land) + amount(typed.stone) + amount(typed.family) +
                        amount(typed.labour) + amount(typed.other);
    const double management = PurchaseService::managementFee(base + extra, amount(typed.ratePercent));
    return {management, management + extra};
}

double RenewalService::totalWith(const QString& typedManagement, const QString& extra) {
    return Money::parseLeading(typedManagement) + Money::parseLeading(extra);
}

SaveOutcome RenewalService::save(const RenewalForm& form) {
    const std::optional<double> management = Money::parseStrict(form.management);
    if (!management)
        return refused(notice(QStringLiteral("请输入正确的管理费！")), QStringLiteral("Text2"));

    const QString key = form.plotKey.trimmed();
    const double extra = Money::parseLeading(form.extra);
    struct Renewal {
        std::optional<SaveOutcome> refusal;
        qint64 feeRow = 0;
        QDate previousEnd;
    };
    const Renewal renewal = m_database.transaction([&]() -> Renewal {
        const PlotStateCheck check =
            checkPlotState(m_database, key, PlotState::sold, QStringLiteral("加续费"));
        if (check.refusal)
            return {refused(warning(*check.refusal))};
        // The row the window showed: the last one, whose end of use the renewal continues.
        const std::optional<StoredRow> latest =
            RegisterRows::read(m_database, key, RegisterRows::Which::Last, {QStringLiteral("日期止")},
                               QStringLiteral("读取墓位现在的使用日期"));
        if (!latest)
            return {refused(notice(QStringLiteral("墓位“%1”没有登记记录，不能加续费！").arg(key)))};
        const QDate previousEnd = latest->date(QStringLiteral("日期止"));
        if (form.shownUntil.isValid() && previousEnd != form.shownUntil)
            return {refused(notice(QStringLiteral("此记录已被其他操作员修改，请重新打开后再修改！")))};
        if (form.useUntil < previousEnd)
            return {refused(
                {Prompter::Icon::Critical, QStringLiteral("错误"), QStringLiteral("使用日期填写错误!")},
                QStringLiteral("DTP2"))};
        if (form.remark.trimmed().isEmpty())
            return {refused(notice(QStringLiteral("备注不能为空！")), QStringLiteral("Mask11"))};

        m_database.exec(QStringLiteral("UPDATE gm_dj SET 日期止 = ? WHERE 墓碑位置 = ?"),
                        {DateText::fromDate(form.useUntil), key}, QStringLiteral("写入新的使用日期"));
        const qint64 feeRow = m_database.insert(
            QStringLiteral("gm_xf1"),
            {{QStringLiteral("墓碑位置"), key},
             {QStringLiteral("日期起"), DateText::fromDate(previousEnd)},
             {QStringLiteral("日期止"), DateText::fromDate(form.useUntil)},
             {QStringLiteral("联系人"), form.contact.trimmed()},
             {QStringLiteral("工作单位"), form.workUnit.trimmed()},
             {QStringLiteral("墓地费"), 0},
             {QStringLiteral("墓碑费"), 0},
             {QStringLiteral("家庭墓费"), 0},
             {QStringLiteral("工料费"), 0},
             {QStringLiteral("管理费"), *management},
             {QStringLiteral("绿化费"), 0},
             {QStringLiteral("其它费"), 0},
             {QStringLiteral("qt"), QString(form.extraName.trimmed() + QStringLiteral("  "))},
             {QStringLiteral("qtf"), extra},
             {QStringLiteral("合计"), *management + extra},
             {QStringLiteral("备注"), form.remark.trimmed()},
             {QStringLiteral("操作方式"), QStringLiteral("加续费")},
             {QStringLiteral("操作员"), m_session.operatorName},
             {QStringLiteral("操作日期"), DateText::fromDateTime(m_clock.now())}},
            QStringLiteral("写入加续费收费记录"));
        return {std::nullopt, feeRow, previousEnd};
    });
    if (renewal.refusal)
        return *renewal.refusal;

    // Both prints name the fee row by id; the print right is not asked here, only the report list.
    const QString receipt =
        QStringLiteral("select * from gm_xf1 where id=") + QString::number(renewal.feeRow);
    const int years = form.useUntil.year() - renewal.previousEnd.year();
    return done(
        congratulation(QStringLiteral("OK，输入成功！")),
        {PrintJob{QStringLiteral("gm_jxf    "), QStringLiteral("gm_jxf"), receipt, std::nullopt, true},
         PrintJob{QStringLiteral("gm_gmzsf  "), QStringLiteral("gm_gmzsf"), receipt,
                  QString::number(years) + QStringLiteral("年"), true}});
}
