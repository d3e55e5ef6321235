#include "business/burialrecordsservice.h"

#include "foundation/clock.h"
#include "foundation/columntext.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/guardedupdate.h"
#include "shared/session.h"

namespace {

const QString gone = QStringLiteral("这条落葬记录已经不在了，请重新打开此窗口！");

QStringList names(const QList<Database::Column>& columns) {
    QStringList names;
    for (const Database::Column& column : columns)
        names << column.name;
    return names;
}

} // namespace

BurialRecordsService::BurialRecordsService(const ServiceContext& context)
    : m_database(context.database), m_session(context.session), m_clock(context.clock) {}

QList<DeceasedRecord> BurialRecordsService::records(const QString& key) {
    const QStringList columns = names(Deceased::columns(DeceasedForm{}));
    QSqlQuery rows =
        m_database.exec(QStringLiteral("SELECT rid, %1 FROM gm_dj WHERE 墓碑位置 = ? ORDER BY rid")
                            .arg(columns.join(QStringLiteral(", "))),
                        {key}, QStringLiteral("读取落葬记录"));
    const QDate today = m_clock.today();
    QList<DeceasedRecord> records;
    while (rows.next()) {
        DeceasedRecord record;
        record.rid = rows.value(QStringLiteral("rid")).toLongLong();
        for (const QString& column : columns)
            record.stored.insert(column, ColumnText::plain(rows.value(column)));
        const auto text = [&record](const char* column) {
            return record.stored.value(QString::fromUtf8(column)).toString();
        };
        const auto date = [&](const char* column) {
            const QDate stored = DateText::toDate(text(column));
            return stored.isValid() ? stored : today;
        };
        record.person = {text("故者姓名"), text("性别"),     text("籍贯"),     text("生前单位"),
                         date("出生日期"), date("逝世日期"), date("落葬日期"), text("联系人"),
                         text("关系"),     text("工作单位"), text("家庭住址"), text("联系电话"),
                         text("身份证号"), text("手机"),     text("备注"),     text("证书编号")};
        records << record;
    }
    return records;
}

std::optional<QString> BurialRecordsService::nameOf(const QString& key, qint64 rid) {
    QSqlQuery row =
        m_database.exec(QStringLiteral("SELECT 故者姓名 FROM gm_dj WHERE rid = ? AND 墓碑位置 = ?"),
                        {rid, key}, QStringLiteral("读取落葬记录"));
    if (!row.next())
        return std::nullopt;
    return row.value(QStringLiteral("故者姓名")).toString();
}

SaveOutcome BurialRecordsService::save(const QString& key, const DeceasedRecord& loaded,
                                       const DeceasedForm& form) {
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
    const QList<Database::Column> shown = Deceased::columns(loaded.person);
    const QList<Database::Column> typed = Deceased::columns(form);
    const auto touched = [&](const QString& column) {
        for (qsizetype i = 0; i < shown.size(); ++i)
            if (shown.at(i).name == column)
                return !GuardedUpdate::same(shown.at(i).value, typed.at(i).value);
        return false;
    };
    const std::optional<QString> refusal = m_database.transaction([&]() -> std::optional<QString> {
        const std::optional<QString> oldName = nameOf(key, loaded.rid);
        if (!oldName)
            return gone;
        if (m_database
                .scalar(
                    QStringLiteral("SELECT 1 FROM gm_dj WHERE 墓碑位置 = ? AND 故者姓名 = ? AND rid <> ?"),
                    {key, name, loaded.rid}, QStringLiteral("查找同名故者"))
                .isValid())
            return QStringLiteral("此人已存在记录中,请重新填写！");
        GuardedUpdate update(m_database, QStringLiteral("gm_dj"), QStringLiteral("rid = ? AND 墓碑位置 = ?"),
                             {loaded.rid, key});
        for (const Database::Column& column : typed)
            if (touched(column.name))
                update.edit(column.name, loaded.stored.value(column.name), column.value);
        const GuardedUpdate::Result result = update.run(QStringLiteral("修改落葬记录"));
        if (result == GuardedUpdate::Result::Stale)
            return GuardedUpdate::staleText();
        if (result == GuardedUpdate::Result::Gone)
            return gone;
        // The name slots follow a changed name or sex; a row completed before anybody was named in the
        // slots gets its name now.
        if (oldName->isEmpty())
            Deceased::addName(m_database, key, name, form.sex.trimmed(), form.buried);
        else if (touched(QStringLiteral("故者姓名")) || touched(QStringLiteral("性别")))
            Deceased::renameName(m_database, key, *oldName, name, form.sex.trimmed());
        return std::nullopt;
    });
    if (refusal)
        return refused(notice(*refusal), QStringLiteral("Mask1"));
    return done(congratulation(QStringLiteral("保存成功！")),
                Deceased::prints(key, loaded.rid, form.sex.trimmed()));
}

SaveOutcome BurialRecordsService::deregister(const QString& key, qint64 rid,
                                             const std::function<bool()>& confirmed) {
    if (m_session.flags.deleteDenied)
        return refused(lacksRight(m_session.operatorName, QStringLiteral("您没有删除记录的权限！")));
    if (!confirmed())
        return {};
    const std::optional<QString> refusal = m_database.transaction([&]() -> std::optional<QString> {
        const std::optional<QString> name = nameOf(key, rid);
        if (!name)
            return gone;
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
        return std::nullopt;
    });
    if (refusal)
        return refused(notice(*refusal));
    return done();
}
