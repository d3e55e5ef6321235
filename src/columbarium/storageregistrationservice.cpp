#include "columbarium/storageregistrationservice.h"

#include "columbarium/nichevocabulary.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"
#include "shared/session.h"

StorageRegistrationService::StorageRegistrationService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

std::optional<QString> StorageRegistrationService::takenMeanwhile(const QString& nicheKey) {
    return StorageRecord::nicheTakenMeanwhile(m_database, nicheKey.trimmed(), NicheState::free);
}

SaveOutcome StorageRegistrationService::save(const StorageForm& form) {
    if (m_session.flags.addDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有添加记录权限！")));
    if (form.urnType.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请填写骨灰盒型!")), QStringLiteral("Maskhx"));
    if (form.deceased.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请填写故者姓名!")), QStringLiteral("Mask1"));
    if (form.sex.isEmpty())
        return refused(plain(QStringLiteral("请选择性别!")));
    if (form.storedFrom > form.storedUntil)
        return refused({Prompter::Icon::Exclamation, QString(), QStringLiteral("使用日期起止错误!")});
    if (form.contact.trimmed().isEmpty())
        return refused(plain(QStringLiteral("请把联系人情况填写完整!")), QStringLiteral("Mask3"));
    const double due = Money::roundCents(Money::parseLeading(form.amountDue));
    const double received = Money::roundCents(Money::parseLeading(form.amountReceived));
    if (due == 0 || received == 0)
        return refused(plain(QStringLiteral("应收费与实收费不能为零！")));

    const QString key = form.nicheKey.trimmed();
    struct Stored {
        std::optional<QString> refusal;
        qint64 registration = 0;
        qint64 payment = 0;
    };
    const Stored stored = m_database.transaction([&]() -> Stored {
        // The niche must still be free: no two urns in one niche.
        const NicheStateCheck check =
            StorageRecord::checkNicheState(m_database, key, NicheState::free, QStringLiteral("入档"));
        if (check.refusal)
            return {check.refusal};
        const QList<Database::Column> columns =
            QList<Database::Column>{{QStringLiteral("存放位置"), key},
                                    {QStringLiteral("故者姓名"), form.deceased.trimmed()},
                                    {QStringLiteral("日期起"), DateText::fromDate(form.storedFrom)},
                                    {QStringLiteral("日期止"), DateText::fromDate(form.storedUntil)}} +
            StorageRecord::editableColumns(form);
        const qint64 registration =
            m_database.insert(QStringLiteral("ghjc_dj"), columns, QStringLiteral("写入寄存登记"));
        m_database.exec(QStringLiteral("UPDATE ghjc_wz SET 状态 = ? WHERE rid = ?"),
                        {NicheState::used, check.nicheRow}, QStringLiteral("把寄存位改为已使用"));
        m_database.notifyChange(ChangeNotifier::Subject::Niches, check.hall);
        const qint64 payment = StorageRecord::writePayment(
            m_database,
            {key, form.deceased.trimmed(), form.contact.trimmed(), form.storedFrom, form.storedUntil, due,
             received, QStringLiteral("存入")},
            m_session.operatorName, m_clock.now());
        return {std::nullopt, registration, payment};
    });
    if (stored.refusal)
        return refused(warning(*stored.refusal));

    // The papers name their rows by id.
    return done(plain(QStringLiteral("输入成功！")),
                StorageRecord::registerPapers(stored.registration,
                                              {QStringLiteral("lxr_jc"), QStringLiteral("gz_jc"),
                                               QStringLiteral("yxsj_jc"), QStringLiteral("jc_dj")},
                                              form.hideBirthDate) +
                    StorageRecord::paymentPapers(stored.payment, form.storedFrom, form.storedUntil));
}
