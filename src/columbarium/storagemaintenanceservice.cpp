#include "columbarium/storagemaintenanceservice.h"

#include "columbarium/nichevocabulary.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "foundation/session.h"

namespace {

Message plain(const QString& text) {
    return {Prompter::Icon::Information, QString(), text};
}

Message stale(const QString& text) {
    return {Prompter::Icon::Exclamation, QStringLiteral("提示"), text};
}

const QString recordGone = QStringLiteral("此寄存记录已经不在了，可能已被注销！");

} // namespace

StorageMaintenanceService::StorageMaintenanceService(Database& database, const Session& session,
                                                     const Clock& clock)
    : m_database(database), m_session(session), m_clock(clock) {}

std::optional<LoadedStorage> StorageMaintenanceService::load(const ChosenNiche& niche) {
    QSqlQuery row = m_database.exec(
        QStringLiteral(
            "SELECT id, 存放位置, 骨灰盒型, 故者姓名, 性别, 出生日期, 逝世日期, 籍贯, 生前单位, 日期起, "
            "日期止, 联系人, 关系, 工作单位, 身份证号, 家庭住址, 联系电话, 电子信箱, 备注 "
            "FROM ghjc_dj WHERE 存放位置 = ? ORDER BY id LIMIT 1"),
        {niche.key.trimmed()}, QStringLiteral("读取寄存登记"));
    if (!row.next())
        return std::nullopt;
    const auto text = [&row](int column) { return row.value(column).toString(); };
    const auto date = [&row](int column) { return DateText::toDate(row.value(column).toString()); };
    LoadedStorage loaded;
    loaded.id = row.value(0).toLongLong();
    loaded.key = text(1);
    loaded.until = date(10);
    StorageForm& form = loaded.form;
    form.nicheKey = loaded.key;
    form.urnType = text(2);
    form.deceased = text(3);
    form.sex = text(4);
    form.born = date(5);
    form.died = date(6);
    form.nativePlace = text(7);
    form.formerUnit = text(8);
    form.storedFrom = date(9);
    form.storedUntil = loaded.until;
    form.contact = text(11);
    form.relation = text(12);
    form.workUnit = text(13);
    form.idNumber = text(14);
    form.address = text(15);
    form.phone = text(16);
    form.email = text(17);
    form.remark = text(18);
    form.amountDue = Money::format(niche.price);
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

SaveOutcome StorageMaintenanceService::save(const LoadedStorage& loaded, const StorageForm& form) {
    if (m_session.flags.modifyDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有修改记录权限！")));
    if (form.urnType.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请填写骨灰盒型!")), QStringLiteral("Maskhx"));
    if (form.sex.isEmpty())
        return refused(plain(QStringLiteral("请选择性别!")));
    if (form.contact.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请把联系人情况填写完整!")), QStringLiteral("Mask3"));

    int changed = 0;
    m_database.transaction([&] {
        QSqlQuery update =
            m_database.prepareUpdate(QStringLiteral("ghjc_dj"), StorageRecord::editableColumns(form),
                                     QStringLiteral("id = ? AND 存放位置 = ?"), {loaded.id, loaded.key},
                                     QStringLiteral("修改寄存登记"));
        m_database.run(update, QStringLiteral("修改寄存登记"));
        changed = update.numRowsAffected();
    });
    if (changed == 0)
        return refused(stale(recordGone));
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

    std::optional<QString> refusal;
    std::optional<QDate> storedUntil;
    qint64 payment = 0;
    m_database.transaction([&] {
        // Renewed from the end date the window showed, or not at all: a second click on the same
        // window, or a renewal at another desk, must not charge from an end already passed.
        const QVariant stored =
            m_database.scalar(QStringLiteral("SELECT 日期止 FROM ghjc_dj WHERE id = ? AND 存放位置 = ?"),
                              {loaded.id, loaded.key}, QStringLiteral("读取寄存登记"));
        if (!stored.isValid()) {
            refusal = recordGone;
            return;
        }
        if (DateText::toDate(stored.toString()) != loaded.until) {
            storedUntil = DateText::toDate(stored.toString());
            refusal = QStringLiteral("此寄存记录的使用日期止已经是 %1，请重新选择续存到的日期！")
                          .arg(DateText::fromDate(*storedUntil));
            return;
        }
        const NicheStateCheck check =
            StorageRecord::checkNicheState(m_database, loaded.key, NicheState::used, QStringLiteral("续存"));
        if (check.refusal) {
            refusal = check.refusal;
            return;
        }
        m_database.exec(QStringLiteral("UPDATE ghjc_dj SET 日期止 = ? WHERE id = ?"),
                        {DateText::fromDate(form.storedUntil), loaded.id}, QStringLiteral("续存寄存登记"));
        payment = StorageRecord::writePayment(m_database,
                                              {loaded.key, form.deceased.trimmed(), form.contact.trimmed(),
                                               loaded.until, form.storedUntil, due, received,
                                               QStringLiteral("续存")},
                                              m_session.operatorName, m_clock.now());
    });
    if (refusal)
        return {refused(stale(*refusal)), storedUntil};
    return {done(plain(QStringLiteral("续存成功!")),
                 StorageRecord::paymentPapers(payment, loaded.until, form.storedUntil)),
            form.storedUntil};
}

SaveOutcome StorageMaintenanceService::cancel(const LoadedStorage& loaded, const StorageForm& form,
                                              Prompter& prompter) {
    if (m_session.flags.deleteDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有删除记录权限！")));
    if (form.contact.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请把联系人情况填写完整!")), QStringLiteral("Mask3"));
    const Prompter::Answer answer = prompter.ask(
        QStringLiteral("注销记录"),
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
        if (!typed)
            return {};
        refund = Money::roundCents(Money::parseLeading(*typed));
        if (*refund <= 0)
            return refused(
                {Prompter::Icon::Exclamation, QString(), QStringLiteral("应退金额不能为零或小于零!")});
    }

    std::optional<QString> refusal;
    qint64 refundRow = 0;
    m_database.transaction([&] {
        // Cancelled once: the register row and the occupied niche must still be there, so that a
        // second click or another desk cannot write a second refund.
        refusal = checkRecord(loaded);
        if (refusal)
            return;
        const NicheStateCheck check =
            StorageRecord::checkNicheState(m_database, loaded.key, NicheState::used, QStringLiteral("注销"));
        if (check.refusal) {
            refusal = check.refusal;
            return;
        }
        m_database.exec(QStringLiteral("DELETE FROM ghjc_dj WHERE 存放位置 = ?"), {loaded.key},
                        QStringLiteral("删除寄存登记"));
        m_database.exec(QStringLiteral("UPDATE ghjc_wz SET 状态 = ? WHERE rid = ?"),
                        {NicheState::free, check.nicheRow}, QStringLiteral("把寄存位改为未使用"));
        m_database.notifyChange(ChangeNotifier::Subject::Niches, check.hall);
        if (!refund)
            return;
        refundRow = m_database
                        .insert(QStringLiteral("jc_tf"),
                                {{QStringLiteral("存放位置"), loaded.key},
                                 {QStringLiteral("联系人"), form.contact.trimmed()},
                                 {QStringLiteral("工作单位"), form.workUnit.trimmed()},
                                 {QStringLiteral("应退金额"), *refund},
                                 {QStringLiteral("操作员"), m_session.operatorName},
                                 {QStringLiteral("操作日期"), DateText::fromDateTime(m_clock.now())}},
                                QStringLiteral("写入寄存退费记录"));
    });
    if (refusal)
        return refused(stale(*refusal));
    if (!refund)
        return done(plain(QStringLiteral("注销成功!")));
    // The refund form names its row, never a moment two cancellations could share.
    return done(
        plain(QStringLiteral("注销成功!")),
        {{QStringLiteral("jc_tf"), QStringLiteral("jc_tf"),
          QStringLiteral("SELECT * FROM JC_TF WHERE rid=") + QString::number(refundRow), std::nullopt}});
}
