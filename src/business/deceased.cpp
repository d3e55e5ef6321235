#include "business/deceased.h"

#include "foundation/datetext.h"
#include "foundation/sqlliteral.h"

namespace {

const QList<QChar> slotLetters = {u'A', u'B', u'C', u'D'};
const QString separator = QStringLiteral(",");

// The letter of the plot's name slot holding `name`, or of the first free one for an empty name.
// Returns the gm_xr row through `row`; no letter when there is no row or no such slot.
std::optional<QChar> slotOf(Database& database, const QString& key, const QString& name, qint64& row) {
    QSqlQuery names =
        database.exec(QStringLiteral("SELECT rid, 故者姓名A, 故者姓名B, 故者姓名C, 故者姓名D FROM gm_xr "
                                     "WHERE 墓碑位置 = ? ORDER BY rid LIMIT 1"),
                      {key}, QStringLiteral("读取故者名位"));
    if (!names.next())
        return std::nullopt;
    row = names.value(QStringLiteral("rid")).toLongLong();
    for (int slot = 0; slot < slotLetters.size(); ++slot)
        if (names.value(QStringLiteral("故者姓名") + slotLetters[slot]).toString() == name)
            return slotLetters[slot];
    return std::nullopt;
}

void setSlot(Database& database, qint64 row, QChar letter, const QString& name, const QString& sex) {
    QSqlQuery update = database.prepareUpdate(
        QStringLiteral("gm_xr"),
        {{QStringLiteral("故者姓名") + letter, name}, {QStringLiteral("性别") + letter, sex}},
        QStringLiteral("rid = ?"), {row}, QStringLiteral("写入故者名位"));
    database.run(update, QStringLiteral("写入故者名位"));
}

// The plot's "购墓" fee row and its list of names; none when the row is gone.
struct NameList {
    qint64 id = 0;
    QStringList names;
};

std::optional<NameList> nameList(Database& database, const QString& key) {
    QSqlQuery fee = database.exec(QStringLiteral("SELECT id, 故者姓名 FROM gm_xf1 WHERE 墓碑位置 = ? AND "
                                                 "操作方式 = '购墓' ORDER BY id LIMIT 1"),
                                  {key}, QStringLiteral("读取购墓收费记录"));
    if (!fee.next())
        return std::nullopt;
    const QString names = fee.value(QStringLiteral("故者姓名")).toString();
    return NameList{fee.value(QStringLiteral("id")).toLongLong(),
                    names.isEmpty() ? QStringList() : names.split(separator)};
}

void storeNames(Database& database, const NameList& list) {
    if (list.names.isEmpty())
        database.exec(QStringLiteral("UPDATE gm_xf1 SET 故者姓名 = NULL, 安葬日期 = '' WHERE id = ?"),
                      {list.id}, QStringLiteral("清除购墓收费记录的故者姓名"));
    else
        database.exec(QStringLiteral("UPDATE gm_xf1 SET 故者姓名 = ? WHERE id = ?"),
                      {list.names.join(separator), list.id}, QStringLiteral("写入购墓收费记录的故者姓名"));
}

} // namespace

namespace Deceased {

bool datesWrong(const DeceasedForm& form, const QDate& today) {
    return form.born > today || form.died > today || form.born > form.died || form.died > form.buried;
}

QList<Database::Column> columns(const DeceasedForm& form) {
    return {{QStringLiteral("故者姓名"), form.name.trimmed()},
            {QStringLiteral("性别"), form.sex.trimmed()},
            {QStringLiteral("籍贯"), form.nativePlace.trimmed()},
            {QStringLiteral("生前单位"), form.formerUnit.trimmed()},
            {QStringLiteral("出生日期"), DateText::fromDate(form.born)},
            {QStringLiteral("逝世日期"), DateText::fromDate(form.died)},
            {QStringLiteral("落葬日期"), DateText::fromDate(form.buried)},
            {QStringLiteral("联系人"), form.contact.trimmed()},
            {QStringLiteral("关系"), form.relation.trimmed()},
            {QStringLiteral("身份证号"), form.idNumber.trimmed()},
            {QStringLiteral("工作单位"), form.workUnit.trimmed()},
            {QStringLiteral("家庭住址"), form.address.trimmed()},
            {QStringLiteral("联系电话"), form.phone.trimmed()},
            {QStringLiteral("手机"), form.mobile.trimmed()},
            {QStringLiteral("备注"), form.remark},
            {QStringLiteral("证书编号"), form.certificate.trimmed()}};
}

QStringList relations(Database& database) {
    return database.texts(QStringLiteral("SELECT gx FROM gx ORDER BY rid"), {}, QStringLiteral("读取关系"));
}

void addName(Database& database, const QString& key, const QString& name, const QString& sex,
             const QDate& buried) {
    qint64 row = 0;
    if (const std::optional<QChar> free = slotOf(database, key, QString(), row))
        setSlot(database, row, *free, name, sex);
    else if (row == 0)
        database.insert(QStringLiteral("gm_xr"),
                        {{QStringLiteral("墓碑位置"), key},
                         {QStringLiteral("故者姓名A"), name},
                         {QStringLiteral("性别A"), sex},
                         {QStringLiteral("故者姓名B"), QStringLiteral("")},
                         {QStringLiteral("性别B"), QStringLiteral("")},
                         {QStringLiteral("故者姓名C"), QStringLiteral("")},
                         {QStringLiteral("性别C"), QStringLiteral("")},
                         {QStringLiteral("故者姓名D"), QStringLiteral("")},
                         {QStringLiteral("性别D"), QStringLiteral("")}},
                        QStringLiteral("写入故者名位"));

    // The fee row may have been deleted; the burial stands without its name list then.
    std::optional<NameList> list = nameList(database, key);
    if (!list)
        return;
    if (list->names.isEmpty())
        database.exec(QStringLiteral("UPDATE gm_xf1 SET 故者姓名 = ?, 安葬日期 = ? WHERE id = ?"),
                      {name, DateText::fromDate(buried), list->id},
                      QStringLiteral("写入购墓收费记录的故者姓名"));
    else {
        list->names << name;
        storeNames(database, *list);
    }
}

void renameName(Database& database, const QString& key, const QString& oldName, const QString& newName,
                const QString& sex) {
    qint64 row = 0;
    if (const std::optional<QChar> slot = slotOf(database, key, oldName, row))
        setSlot(database, row, *slot, newName, sex);
    std::optional<NameList> list = nameList(database, key);
    if (list && list->names.contains(oldName) && oldName != newName) {
        list->names.replace(list->names.indexOf(oldName), newName);
        storeNames(database, *list);
    }
}

void removeName(Database& database, const QString& key, const QString& name) {
    qint64 row = 0;
    if (const std::optional<QChar> slot = slotOf(database, key, name, row))
        setSlot(database, row, *slot, QStringLiteral(""), QStringLiteral(""));
    std::optional<NameList> list = nameList(database, key);
    if (list && list->names.removeOne(name))
        storeNames(database, *list);
}

QList<PrintJob> prints(const QString& key, qint64 rid, const QString& sex) {
    const QString row = QStringLiteral("select * from gm_dj where rid=") + QString::number(rid);
    QList<PrintJob> jobs;
    if (sex == QStringLiteral("男"))
        jobs << PrintJob{QStringLiteral("gz        "), QStringLiteral("gz"), row, std::nullopt};
    else if (sex == QStringLiteral("女"))
        jobs << PrintJob{QStringLiteral("g        "), QStringLiteral("g"), row, std::nullopt};
    jobs << PrintJob{QStringLiteral("lxr       "), QStringLiteral("lxr"),
                     QStringLiteral("select * from gm_dj where 墓碑位置=") + SqlLiteral::text(key),
                     std::nullopt}
         << PrintJob{QStringLiteral("dj        "), QStringLiteral("dj"), row, std::nullopt};
    return jobs;
}

} // namespace Deceased
