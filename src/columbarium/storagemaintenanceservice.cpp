#include "columbarium/storagemaintenanceservice.h"

#include "columbarium/nichevocabulary.h"
#include "foundation/clock.h"
#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/guardedupdate.h"
#include "foundation/money.h"
#include "shared/session.h"

namespace {

const QString recordGone = QStringLiteral("此寄存记录已经不在了，可能已被注销！");

} // namespace

StorageMaintenanceService::StorageMaintenanceService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

std::optional<LoadedStorage> StorageMaintenanceService::load(const ChosenNiche& niche) {
    QSqlQuery row = m_database.exec(
        QStringLiteral(
            "SELECT id, 存放位置, 骨灰盒型, 故者姓名, 性别, 出生日期, 逝世日期, 籍贯, 生前单位, 日期起, "
            "日期止, 联系人, 关系, 工作单位, 身份证号, 家庭住址, 联系电话, 电子信箱, 备注 "
            "FROM ghjc_dj WHERE 存放位置 = ? ORDER BY id LIMIT 1"),
        {niche.key.trimmed()}, QStringLiteral("读取寄存登记"));
    if (!row.next())
        return std::nullopt;
    const auto text = [&row](const char* column) {
        return ColumnText::plain(row.value(QString::fromUtf8(column)));
    };
    const auto date = [&text](const char* column) { return DateText::toDate(text(column)); };
    LoadedStorage loaded;
    loaded.id = row.value(QStringLiteral("id")).toLongLong();
    loaded.key = text("存放位置");
    loaded.until = date("日期止");
    StorageForm& form = loaded.form;
    form.nicheKey = loaded.key;
    form.urnType = text("骨灰盒型");
    form.deceased = text("故者姓名");
    form.sex = text("性别");
    form.born = date("出生日期");
    form.died = date("逝世日期");
    form.nativePlace = text("籍贯");
    form.formerUnit = text("生前单位");
    form.storedFrom = date("日期起");
    form.storedUntil = loaded.until;
    form.contact = text("联系人");
    form.relation = text("关系");
    form.workUnit = text("工作单位");
    form.idNumber = text("身份证号");
    form.address = text("家庭住址");
    form.phone = text("联系电话");
    form.email = text("电子信箱");
    form.remark = text("备注");
    form.amountDue = Money::format(niche.price);
    for (const Database::Column& column : StorageRecord::editableColumns(form))
        loaded.stored.insert(column.name, ColumnText::plain(row.value(column.name)));
    return loaded;
}

std::optional<QString> StorageMaintenanceService::checkRecord(const LoadedStorage& loaded) {
    if (m_database
            .scalar(QStringLiteral("SELECT id FROM ghjc_dj WHERE id = ? AND 存放位置 = ?"),
                    {loaded.id, loaded.key}, QStringLiteral("读取寄存登记"))
            .isValid())
        return std::nullopt;
    return recordGone;
}

SaveOutcome StorageMaintenanceService::save(LoadedStorage& loaded, const StorageForm& form) {
    if (m_session.flags.modifyDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有修改记录权限！")));
    if (form.urnType.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请填写骨灰盒型!")), QStringLiteral("Maskhx"));
    if (form.sex.isEmpty())
        return refused(plain(QStringLiteral("请选择性别!")));
    if (form.contact.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请把联系人情况填写完整!")), QStringLiteral("Mask3"));

    const QList<Database::Column> shown = StorageRecord::editableColumns(loaded.form);
    const QList<Database::Column> typed = StorageRecord::editableColumns(form);
    QList<Database::Column> changed;
    for (qsizetype i = 0; i < typed.size(); ++i)
        if (!GuardedUpdate::same(shown.at(i).value, typed.at(i).value))
            changed << typed.at(i);
    const GuardedUpdate::Result result = m_database.transaction([&] {
        GuardedUpdate update(m_database, QStringLiteral("ghjc_dj"), QStringLiteral("id = ? AND 存放位置 = ?"),
                             {loaded.id, loaded.key});
        for (const Database::Column& column : changed)
            update.edit(column.name, loaded.stored.value(column.name), column.value);
        return update.run(QStringLiteral("修改寄存登记"));
    });
    if (result == GuardedUpdate::Result::Gone)
        return refused(warning(recordGone));
    if (result == GuardedUpdate::Result::Stale)
        return refused(warning(GuardedUpdate::staleText()));
    // The window goes on from what it stored, so that its next save is checked against that.
    for (const Database::Column& column : changed)
        loaded.stored.insert(column.name, column.value);
    const StorageForm before = loaded.form;
    loaded.form = form;
    loaded.form.nicheKey = before.nicheKey;
    loaded.form.deceased = before.deceased;
    loaded.form.storedFrom = before.storedFrom;
    loaded.form.storedUntil = before.storedUntil;
    return done(plain(QStringLiteral("保存成功!")),
                StorageRecord::registerPapers(loaded.id,
                                              {QStringLiteral("jc_dj"), QStringLiteral("yxsj_jc"),
                                               QStringLiteral("gz_jc"), QStringLiteral("lxr_jc")},
                                              form.hideBirthDate));
}

Renewal StorageMaintenanceService::renew(const LoadedStorage& loaded, const StorageForm& form) {
    if (m_session.flags.addDenied)
        return {refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录权限！"))), {}};
    if (form.deceased.trimmed().isEmpty())
        return {refused(plain(QStringLiteral("请填写故者姓名!")), QStringLiteral("Mask1")), {}};
    if (form.sex.isEmpty())
        return {refused(plain(QStringLiteral("请选择性别!"))), {}};
    if (form.storedUntil <= loaded.until)
        return {refused({Prompter::Icon::Exclamation, QString(), QStringLiteral("使用日期起止错误!")}),
                loaded.until};
    if (form.contact.trimmed().isEmpty())
        return {refused(plain(QStringLiteral("请把联系人情况填写完整!")), QStringLiteral("Mask3")), {}};
    const double due = Money::roundCents(Money::parseLeading(form.amountDue));
    const double received = Money::roundCents(Money::parseLeading(form.amountReceived));
    if (due == 0 || received == 0)
        return {refused(plain(QStringLiteral("应收费与实收费不能为零！"))), {}};

    struct Renewed {
        std::optional<QString> refusal;
        std::optional<QDate> storedUntil;
        qint64 payment = 0;
    };
    const Renewed renewed = m_database.transaction([&]() -> Renewed {
        // Renewed from the end date the window showed, or not at all: a second click on the same
        // window, or a renewal at another desk, must not charge from an end already passed.
        const QVariant stored =
            m_database.scalar(QStringLiteral("SELECT 日期止 FROM ghjc_dj WHERE id = ? AND 存放位置 = ?"),
                              {loaded.id, loaded.key}, QStringLiteral("读取寄存登记"));
        if (!stored.isValid())
            return {recordGone};
        if (const QDate storedUntil = DateText::toDate(stored.toString()); storedUntil != loaded.until)
            return {QStringLiteral("此寄存记录的使用日期止已经是 %1，请重新选择续存到的日期！")
                        .arg(DateText::fromDate(storedUntil)),
                    storedUntil};
        const NicheStateCheck check =
            StorageRecord::checkNicheState(m_database, loaded.key, NicheState::used, QStringLiteral("续存"));
        if (check.refusal)
            return {check.refusal};
        m_database.exec(QStringLiteral("UPDATE ghjc_dj SET 日期止 = ? WHERE id = ?"),
                        {DateText::fromDate(form.storedUntil), loaded.id}, QStringLiteral("续存寄存登记"));
        return {std::nullopt, std::nullopt,
                StorageRecord::writePayment(m_database,
                                            {loaded.key, form.deceased.trimmed(), form.contact.trimmed(),
                                             loaded.until, form.storedUntil, due, received,
                                             QStringLiteral("续存")},
                                            m_session.operatorName, m_clock.now())};
    });
    if (renewed.refusal)
        return {refused(warning(*renewed.refusal)), renewed.storedUntil};
    return {done(plain(QStringLiteral("续存成功!")),
                 StorageRecord::paymentPapers(renewed.payment, loaded.until, form.storedUntil)),
            form.storedUntil};
}

SaveOutcome StorageMaintenanceService::cancel(const LoadedStorage& loaded, const StorageForm& form,
                                              Prompter& prompter) {
    if (m_session.flags.deleteDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有删除记录权限！")));
    if (form.contact.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请把联系人情况填写完整!")), QStringLiteral("Mask3"));
    const Prompter::Answer answer = prompter.ask(
        Prompter::Icon::Information, QStringLiteral("注销记录"),
        QStringLiteral(
            "在注销此记录前,是否退费?\n\n选择'是',则退费后,注销此记录\n选择'否',则不退费,直接注销\n"
            "选择'取消',则取消本次操作"),
        true);
    if (answer == Prompter::Answer::Cancel)
        return {};
    std::optional<double> refund;
    if (answer == Prompter::Answer::Yes) {
        const std::optional<QString> typed =
            prompter.inputText(QStringLiteral("退费注销"), QStringLiteral("请输入应退金额"));
        refund = Money::roundCents(Money::parseLeading(typed.value_or(QString())));
        if (*refund <= 0)
            return refused(
                {Prompter::Icon::Exclamation, QString(), QStringLiteral("应退金额不能为零或小于零!")});
    }

    struct Cancelled {
        std::optional<QString> refusal;
        qint64 refundRow = 0;
    };
    const Cancelled cancelled = m_database.transaction([&]() -> Cancelled {
        // Cancelled once: the register row and the occupied niche must still be there, so that a
        // second click or another desk cannot write a second refund.
        if (const std::optional<QString> gone = checkRecord(loaded))
            return {gone};
        // A refund typed against the end the window showed: a renewal meanwhile paid for more.
        if (DateText::toDate(m_database
                                 .scalar(QStringLiteral("SELECT 日期止 FROM ghjc_dj WHERE id = ?"),
                                         {loaded.id}, QStringLiteral("读取寄存登记"))
                                 .toString()) != loaded.until)
            return {GuardedUpdate::staleText()};
        const NicheStateCheck check =
            StorageRecord::checkNicheState(m_database, loaded.key, NicheState::used, QStringLiteral("注销"));
        if (check.refusal)
            return {check.refusal};
        m_database.exec(QStringLiteral("DELETE FROM ghjc_dj WHERE 存放位置 = ?"), {loaded.key},
                        QStringLiteral("删除寄存登记"));
        m_database.exec(QStringLiteral("UPDATE ghjc_wz SET 状态 = ? WHERE rid = ?"),
                        {NicheState::free, check.nicheRow}, QStringLiteral("把寄存位改为未使用"));
        m_database.notifyChange(ChangeNotifier::Subject::Niches, check.hall);
        if (!refund)
            return {};
        return {std::nullopt,
                m_database.insert(QStringLiteral("jc_tf"),
                                  {{QStringLiteral("存放位置"), loaded.key},
                                   {QStringLiteral("联系人"), form.contact.trimmed()},
                                   {QStringLiteral("工作单位"), form.workUnit.trimmed()},
                                   {QStringLiteral("应退金额"), *refund},
                                   {QStringLiteral("操作员"), m_session.operatorName},
                                   {QStringLiteral("操作日期"), DateText::fromDateTime(m_clock.now())}},
                                  QStringLiteral("写入寄存退费记录"))};
    });
    if (cancelled.refusal)
        return refused(warning(*cancelled.refusal));
    if (!refund)
        return done(plain(QStringLiteral("注销成功!")));
    // The refund form names its row, never a moment two cancellations could share.
    return done(plain(QStringLiteral("注销成功!")),
                {{QStringLiteral("jc_tf"), QStringLiteral("jc_tf"),
                  QStringLiteral("SELECT * FROM JC_TF WHERE rid=") + QString::number(cancelled.refundRow),
                  std::nullopt}});
}
