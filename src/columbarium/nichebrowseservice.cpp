#include "columbarium/nichebrowseservice.h"

#include "columbarium/nichehalls.h"
#include "columbarium/nichevocabulary.h"
#include "foundation/database.h"
#include "foundation/money.h"
#include "foundation/sqlliteral.h"

namespace {

// The list's conditions after the hall and room, as marks or as literals for the print.
QString narrowing(const NicheList& list, const QString& state, bool literal) {
    const auto value = [literal](const QString& text) {
        return literal ? SqlLiteral::text(text) : QStringLiteral("?");
    };
    QString sql = QStringLiteral("厅=") + value(list.hall) + QStringLiteral(" and 室=") + value(list.room);
    if (!list.layer.isEmpty())
        sql += QStringLiteral(" and 层=") + value(list.layer);
    if (!list.number.isEmpty())
        sql += QStringLiteral(" and 号=") + value(list.number);
    return sql + QStringLiteral(" and 状态=") + value(state) + QStringLiteral(" order by 号");
}

} // namespace

NicheBrowseService::NicheBrowseService(Database& database, NicheListing listing)
    : m_database(database), m_listing(listing) {}

QString NicheBrowseService::state() const {
    return m_listing == NicheListing::Free ? NicheState::free : NicheState::used;
}

QStringList NicheBrowseService::halls() {
    return NicheHalls::all(m_database);
}

QStringList NicheBrowseService::rooms(const QString& hall) {
    return NicheHalls::rooms(m_database, hall);
}

NicheList NicheBrowseService::room(const QString& hall, const QString& room) {
    NicheList list = read({hall, room, {}, {}, {}, {}});
    list.status = hall + room + QStringLiteral("室，") + state() + QStringLiteral("的位置数： ") +
                  QString::number(list.niches.size());
    return list;
}

NicheList NicheBrowseService::layer(const QString& hall, const QString& room, const QString& layer) {
    NicheList list = read({hall, room, layer, {}, {}, {}});
    list.status = hall + room + QStringLiteral("室，位于第") + layer + QStringLiteral("层的") + state() +
                  QStringLiteral("位置数： ") + QString::number(list.niches.size());
    return list;
}

NicheList NicheBrowseService::number(const QString& hall, const QString& room, const QString& typed) {
    return read({hall, room, {}, typed.trimmed(), {}, {}});
}

NicheList NicheBrowseService::again(const NicheList& shown) {
    if (!shown.number.isEmpty())
        return number(shown.hall, shown.room, shown.number);
    return shown.layer.isEmpty() ? room(shown.hall, shown.room) : layer(shown.hall, shown.room, shown.layer);
}

NicheList NicheBrowseService::read(NicheList list) {
    QVariantList values{list.hall, list.room};
    if (!list.layer.isEmpty())
        values << list.layer;
    if (!list.number.isEmpty())
        values << list.number;
    values << state();
    QSqlQuery query = m_database.exec(QStringLiteral("SELECT 存放位置, 样式 FROM ghjc_wz WHERE ") +
                                          narrowing(list, state(), false),
                                      values, QStringLiteral("读取寄存位"));
    while (query.next())
        list.niches.append({query.value(QStringLiteral("存放位置")).toString(),
                            query.value(QStringLiteral("样式")).toString()});
    return list;
}

std::optional<PickedNiche> NicheBrowseService::pick(const QString& key) {
    QSqlQuery query = m_database.exec(
        QStringLiteral("SELECT 样式, 层, 价位 FROM ghjc_wz WHERE 存放位置 = ? AND 状态 = ? LIMIT 1"),
        {key, state()}, QStringLiteral("读取选中的寄存位"));
    if (!query.next())
        return std::nullopt;
    return PickedNiche{{key, query.value(QStringLiteral("价位")).toDouble()},
                       query.value(QStringLiteral("样式")).toString(),
                       query.value(QStringLiteral("层")).toString()};
}

QString NicheBrowseService::question(const PickedNiche& picked) {
    return QStringLiteral("您选择的是： ") + picked.niche.key + QStringLiteral("\n\n      样式： ") +
           picked.style + QStringLiteral("\n      位置： 第") + picked.layer +
           QStringLiteral("层\n      价位： ") + Money::format(picked.niche.price) +
           QStringLiteral("\n\n确信要入档吗?");
}

PrintJob NicheBrowseService::listPrint(const NicheList& list) const {
    return {QStringLiteral("jcwzs"), QStringLiteral("jcwzs"),
            QStringLiteral("select * from ghjc_wz where ") + narrowing(list, state(), true),
            m_listing == NicheListing::Free ? QStringLiteral("未使用的墓位列表")
                                            : QStringLiteral("已使用寄存框架")};
}
