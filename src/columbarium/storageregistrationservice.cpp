#include "columbarium/storageregistrationservice.h"

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

// A field left empty is stored as `empty`.
QString orElse(const QString& typed, const QString& empty) {
    const QString text = typed.trimmed();
    return text.isEmpty() ? empty : text;
}

} // namespace

StorageRegistrationService::StorageRegistrationService(Database& database, const Session& session,
                                                       const Clock& clock)
    : m_database(database), m_session(session), m_clock(clock) {}

QStringList StorageRegistrationService::relations() {
    return m_database.texts(QStringLiteral("SELECT gx FROM gx ORDER BY rid"), {},
                            QStringLiteral("读取关系列表"));
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
    const QString from = DateText::fromDate(form.storedFrom);
    const QString until = DateText::fromDate(form.storedUntil);
    std::optional<QString> refusal;
    qint64 registration = 0;
    qint64 payment = 0;
    m_database.transaction([&] {
        // The niche must still be free: no two urns in one niche.
        QSqlQuery niche =
            m_database.exec(QStringLiteral("SELECT rid, 状态, 厅 FROM ghjc_wz WHERE 存放位置 = ? LIMIT 1"),
                            {key}, QStringLiteral("读取寄存位的状态"));
        if (!niche.next()) {
            refusal = QStringLiteral("找不到寄存位“%1”，不能入档！").arg(key);
            return;
        }
        if (niche.value(1).toString() != NicheState::free) {
            refusal = QStringLiteral("寄存位“%1”现在是“%2”，不能入档！").arg(key, niche.value(1).toString());
            return;
        }
        registration = m_database
                           .insert(QStringLiteral("ghjc_dj"),
                                   {{QStringLiteral("存放位置"), key},
                                    {QStringLiteral("骨灰盒型"), form.urnType.trimmed()},
                                    {QStringLiteral("故者姓名"), form.deceased.trimmed()},
                                    {QStringLiteral("性别"), form.sex},
                                    {QStringLiteral("出生日期"), DateText::fromDate(form.born)},
                                    {QStringLiteral("逝世日期"), DateText::fromDate(form.died)},
                                    {QStringLiteral("籍贯"), orElse(form.nativePlace, QStringLiteral(" "))},
                                    {QStringLiteral("生前单位"), form.formerUnit.trimmed()},
                                    {QStringLiteral("日期起"), from},
                                    {QStringLiteral("日期止"), until},
                                    {QStringLiteral("联系人"), form.contact.trimmed()},
                                    {QStringLiteral("关系"), form.relation},
                                    {QStringLiteral("工作单位"), form.workUnit.trimmed()},
                                    {QStringLiteral("身份证号"), orElse(form.idNumber, QStringLiteral(" "))},
                                    {QStringLiteral("家庭住址"), form.address.trimmed()},
                                    {QStringLiteral("联系电话"), form.phone.trimmed()},
                                    {QStringLiteral("电子信箱"), orElse(form.email, QStringLiteral("无"))},
                                    {QStringLiteral("备注"), orElse(form.remark, QStringLiteral("无"))}},
                                   QStringLiteral("写入寄存登记"))
                           .lastInsertId()
                           .toLongLong();
        m_database.exec(QStringLiteral("UPDATE ghjc_wz SET 状态 = ? WHERE rid = ?"),
                        {NicheState::used, niche.value(0)}, QStringLiteral("把寄存位改为已使用"));
        m_database.notifyChange(ChangeNotifier::Subject::Niches, niche.value(2).toString());
        payment = m_database
                      .insert(QStringLiteral("ghjc_xf1"),
                              {{QStringLiteral("存放位置"), key},
                               {QStringLiteral("故者姓名"), form.deceased.trimmed()},
                               {QStringLiteral("联系人"), form.contact.trimmed()},
                               {QStringLiteral("日期起"), from},
                               {QStringLiteral("日期止"), until},
                               {QStringLiteral("应收费"), due},
                               {QStringLiteral("实收费"), received},
                               {QStringLiteral("操作方式"), QStringLiteral("存入")},
                               {QStringLiteral("操作员"), m_session.operatorName},
                               {QStringLiteral("操作日期"), DateText::fromDateTime(m_clock.now())}},
                              QStringLiteral("写入寄存收费记录"))
                      .lastInsertId()
                      .toLongLong();
    });
    if (refusal)
        return refused({Prompter::Icon::Exclamation, QStringLiteral("提示"), *refusal});

    // The papers name their rows by id; the certificate's deceased part and the register form leave
    // the birth date out when the operator asked for it.
    const QString registered = QStringLiteral("select * from ghjc_dj where id=%1").arg(registration);
    const QString withoutBirth =
        form.hideBirthDate
            ? QStringLiteral("select *, 1 as 不显示出生日期 from ghjc_dj where id=%1").arg(registration)
            : registered;
    const QString paid = QStringLiteral("select * from ghjc_xf1 where id=%1").arg(payment);
    const int years = form.storedUntil.year() - form.storedFrom.year();
    const QString term =
        (years >= 0 ? QStringLiteral(" ") : QString()) + QString::number(years) + QStringLiteral("年");
    const auto job = [](const QString& name, const QString& query,
                        const std::optional<QString>& heading = {}) {
        return PrintJob{name, name, query, heading};
    };
    return done(plain(QStringLiteral("输入成功！")),
                {job(QStringLiteral("lxr_jc"), registered), job(QStringLiteral("gz_jc"), withoutBirth),
                 job(QStringLiteral("yxsj_jc"), registered), job(QStringLiteral("jc_dj"), withoutBirth),
                 job(QStringLiteral("jc_xc"), paid, term), job(QStringLiteral("jc_xf1"), paid)});
}
