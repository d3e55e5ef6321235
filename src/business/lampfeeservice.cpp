#include "business/lampfeeservice.h"

#include "business/plotstatecheck.h"
#include "business/registerrows.h"

#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "graves/plotvocabulary.h"
#include "shared/session.h"

LampFeeService::LampFeeService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

LampFeeForm LampFeeService::proposal(const QString& key) {
    const QDate today = m_clock.today();
    LampFeeForm form;
    form.buried = today;
    form.paidOn = today;
    form.fromYear = form.toYear = today.toString(QStringLiteral("yyyy"));
    const auto take = [&form](const StoredRow& row) {
        form.deceased = row.text(QStringLiteral("故者姓名"));
        form.contact = row.text(QStringLiteral("联系人"));
        form.telephone = row.text(QStringLiteral("联系电话"));
        const QDate buried = row.date(QStringLiteral("落葬日期"));
        if (buried.isValid())
            form.buried = buried;
    };
    const QStringList columns{QStringLiteral("故者姓名"), QStringLiteral("联系人"),
                              QStringLiteral("联系电话"), QStringLiteral("落葬日期")};
    if (const std::optional<StoredRow> burial = RegisterRows::read(
            m_database, key, RegisterRows::Which::FirstBuried, columns, QStringLiteral("读取落葬登记")))
        take(*burial);
    const std::optional<StoredRow> payment = m_database.row(
        QStringLiteral("SELECT %1, 终止年份 FROM cjdd WHERE 墓碑位置 = ? ORDER BY rid DESC LIMIT 1")
            .arg(columns.join(QStringLiteral(", "))),
        {key}, QStringLiteral("读取点灯缴费记录"));
    if (payment) {
        take(*payment);
        form.fromYear = form.toYear = payment->text(QStringLiteral("终止年份"));
    }
    return form;
}

SaveOutcome LampFeeService::save(const QString& key, const LampFeeForm& form) {
    struct Paid {
        std::optional<QString> refusal;
        qint64 row = 0;
    };
    const struct {
        const QString& typed;
        const char* field;
        const char* message;
    } required[] = {
        {form.deceased, "gz_edit", "    故者姓名为空！请检查    "},
        {form.contact, "lxr_edit", "    联系人为空！请检查    "},
        {form.telephone, "tel_edit", "    联系电话为空！请检查    "},
        {form.amount, "sfje_edit", "    收费金额为空！请检查    "},
    };
    for (const auto& field : required)
        if (field.typed.trimmed().isEmpty())
            return refused(notice(QString::fromUtf8(field.message)), QString::fromLatin1(field.field));
    // Years are four plain digits: "207" or full-width digits would never compare right as text.
    const std::optional<int> from = DateText::parseYear(form.fromYear);
    const std::optional<int> to = DateText::parseYear(form.toYear);
    if (!from || !to || *to < *from)
        return refused(notice(QStringLiteral("      点灯期限错误！请检查      ")),
                       from ? QStringLiteral("edate_edit") : QStringLiteral("bdate_edit"));

    const Paid paid = m_database.transaction([&]() -> Paid {
        // The lamp burns only on a plot that is still sold: another desk may have taken it back.
        const PlotStateCheck check =
            checkPlotState(m_database, key, PlotState::sold, QStringLiteral("点灯缴费"));
        if (check.refusal)
            return {check.refusal};
        return {std::nullopt,
                m_database.insert(
                    QStringLiteral("cjdd"),
                    {{QStringLiteral("故者姓名"), form.deceased.trimmed()},
                     {QStringLiteral("联系人"), form.contact.trimmed()},
                     {QStringLiteral("联系电话"), form.telephone.trimmed()},
                     {QStringLiteral("墓碑位置"), key},
                     {QStringLiteral("交款金额"), Money::roundCents(Money::parseLeading(form.amount))},
                     {QStringLiteral("交款日期"), DateText::fromDate(form.paidOn)},
                     {QStringLiteral("起始年份"), form.fromYear.trimmed()},
                     {QStringLiteral("终止年份"), form.toYear.trimmed()},
                     {QStringLiteral("落葬日期"), DateText::fromDate(form.buried)},
                     {QStringLiteral("点灯标志"), 1},
                     {QStringLiteral("操作人"), m_session.operatorName}},
                    QStringLiteral("写入春节点灯缴费记录"))};
    });
    if (paid.refusal)
        return refused(warning(*paid.refusal));
    // The receipt names its own row: two payments alike in plot, day and years stay apart.
    PrintJob receipt{QStringLiteral("gm_cjddsf "), QStringLiteral("gm_cjddsf"),
                     QStringLiteral("select * from cjdd where rid=%1").arg(paid.row), std::nullopt};
    receipt.ignoresPrintFlag = true;
    return done(std::nullopt, {receipt});
}
