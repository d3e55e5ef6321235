#include "business/burialrecordsservice.h"

#include "foundation/clock.h"
#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/session.h"

namespace {

const QString gone = QStringLiteral("这条落葬记录已经不在了，请重新打开此窗口！");

} // namespace

BurialRecordsService::BurialRecordsService(Database& database, const Session& session, const Clock& clock)
    : m_database(database), m_session(session), m_clock(clock) {}

QList<DeceasedRecord> BurialRecordsService::records(const QString& key) {
    QSqlQuery rows = m_database.exec(
        QStringLiteral(
            "SELECT rid, 故者姓名, 性别, 籍贯, 生前单位, 出生日期, 逝世日期, 落葬日期, 联系人, 关系, "
            "工作单位, 家庭住址, 联系电话, 身份证号, 手机, 备注, 证书编号 FROM gm_dj "
            "WHERE 墓碑位置 = ? ORDER BY rid"),
        {key}, QStringLiteral("读取落葬记录"));
    const QDate today = m_clock.today();
    QList<DeceasedRecord> records;
    while (rows.next()) {
        const auto text = [&rows](int column) { return ColumnText::plain(rows.value(column)); };
        const auto date = [&](int column) {
            const QDate stored = DateText::toDate(text(column));
            return stored.isValid() ? stored : today;
        };
        records << DeceasedRecord{rows.value(0).toLongLong(),
                                  {text(1), text(2), text(3), text(4), date(5), date(6), date(7), text(8),
                                   text(9), text(10), text(11), text(12), text(13), text(14), text(15),
                                   text(16)}};
    }
    return records;
}

std::optional<QString> BurialRecordsService::nameOf(const QString& key, qint64 rid) {
    QSqlQuery row =
        m_database.exec(QStringLiteral("SELECT 故者姓名 FROM gm_dj WHERE rid = ? AND 墓碑位置 = ?"),
                        {rid, key}, QStringLiteral("读取落葬记录"));
    if (!row.next())
        return std::nullopt;
    return row.value(0).toString();
}

SaveOutcome BurialRecordsService::save(const QString& key, qint64 rid, const DeceasedForm& form) {
    if (m_session.flags.modifyDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有修改记录的权限！")));
    if (form.name.trimmed().isEmpty())
        return refused(notice(QStringLiteral("故者情况每项不能为空！")));
    if (Deceased::datesWrong(form, m_clock.today()))
        return refused(notice(QStringLiteral("故者情况日期错误！")));
    if (form.contact.trimmed().isEmpty())
        return refused(notice(QStringLiteral("联系人情况每项不能为空！")));
    if (form.remark.trimmed().isEmpty())
        return refused(notice(QStringLiteral("备注不能为空！")));

    const QString name = form.name.trimmed();
    std::optional<QString> refusal;
    m_database.transaction([&] {
        const std::optional<QString> oldName = nameOf(key, rid);
        if (!oldName) {
            refusal = gone;
            return;
        }
        if (m_database
                .scalar(
                    QStringLiteral("SELECT 1 FROM gm_dj WHERE 墓碑位置 = ? AND 故者姓名 = ? AND rid <> ?"),
                    {key, name, rid}, QStringLiteral("查找同名故者"))
                .isValid()) {
            refusal = QStringLiteral("此人已存在记录中,请重新填写！");
            return;
        }
        QSqlQuery update =
            m_database.prepareUpdate(QStringLiteral("gm_dj"), Deceased::columns(form),
                                     QStringLiteral("rid = ?"), {rid}, QStringLiteral("修改落葬记录"));
        m_database.run(update, QStringLiteral("修改落葬记录"));
        // A row completed before anybody was named in the slots gets its name now.
        if (oldName->isEmpty())
            Deceased::addName(m_database, key, name, form.sex.trimmed(), form.buried);
        else
            Deceased::renameName(m_database, key, *oldName, name, form.sex.trimmed());
    });
    if (refusal)
        return refused(notice(*refusal), QStringLiteral("Mask1"));
    return done(congratulation(QStringLiteral("保存成功！")), Deceased::prints(key, rid, form.sex.trimmed()));
}

SaveOutcome BurialRecordsService::deregister(const QString& key, qint64 rid,
                                             const std::function<bool()>& confirmed) {
    if (m_session.flags.deleteDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有删除记录的权限！")));
    if (!confirmed())
        return {};
    std::optional<QString> refusal;
    m_database.transaction([&] {
        const std::optional<QString> name = nameOf(key, rid);
        if (!name) {
            refusal = gone;
            return;
        }
        const qint64 rows = m_database
                                .scalar(QStringLiteral("SELECT COUNT(*) FROM gm_dj WHERE 墓碑位置 = ?"),
                                        {key}, QStringLiteral("读取落葬记录"))
                                .toLongLong();
        // The plot stays sold: its only row keeps the purchase and loses the deceased.
        if (rows == 1)
            m_database.exec(
                QStringLiteral("UPDATE gm_dj SET 故者姓名 = NULL, 性别 = NULL, 籍贯 = NULL, "
                               "生前单位 = NULL, 出生日期 = NULL, 逝世日期 = NULL, 落葬日期 = NULL, "
                               "关系 = NULL WHERE rid = ?"),
                {rid}, QStringLiteral("注销落葬记录"));
        else
            m_database.exec(QStringLiteral("DELETE FROM gm_dj WHERE rid = ?"), {rid},
                            QStringLiteral("注销落葬记录"));
        if (!name->isEmpty())
            Deceased::removeName(m_database, key, *name);
    });
    if (refusal)
        return refused(notice(*refusal));
    return done();
}
