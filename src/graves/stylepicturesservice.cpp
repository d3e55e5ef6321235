#include "graves/stylepicturesservice.h"

#include "foundation/database.h"
#include "graves/plotvocabulary.h"

StylePicturesService::StylePicturesService(Database& database) : m_database(database) {}

const QList<std::pair<QString, QString>>& StylePicturesService::styles() {
    static const QList<std::pair<QString, QString>> all = {{QStringLiteral("d"), PlotStyle::single},
                                                           {QStringLiteral("s"), PlotStyle::twin},
                                                           {QStringLiteral("j"), PlotStyle::family},
                                                           {QStringLiteral("m"), PlotStyle::multiple}};
    return all;
}

QList<StylePicture> StylePicturesService::load(const QString& letter) {
    QSqlQuery query = m_database.exec(
        QStringLiteral("SELECT picno, picpath, memo FROM mpic WHERE mstyle = ? ORDER BY picno"), {letter},
        QStringLiteral("读取墓地图示"));
    QList<StylePicture> pictures;
    while (query.next())
        pictures << StylePicture{query.value(QStringLiteral("picno")).toInt(),
                                 query.value(QStringLiteral("picpath")).toString(),
                                 query.value(QStringLiteral("memo")).toString()};
    return pictures;
}

SaveOutcome StylePicturesService::save(const QString& letter, const QList<StylePicture>& pictures) {
    QString name;
    for (const auto& [styleLetter, styleName] : styles())
        if (styleLetter == letter)
            name = styleName;
    m_database.transaction([&] {
        m_database.exec(QStringLiteral("DELETE FROM mpic WHERE mstyle = ?"), {letter},
                        QStringLiteral("删除墓地图示"));
        for (const StylePicture& picture : pictures)
            m_database.insert(
                QStringLiteral("mpic"),
                {{QStringLiteral("mstyle"), letter},
                 {QStringLiteral("picno"), picture.slot},
                 {QStringLiteral("picpath"), picture.path},
                 {QStringLiteral("memo"),
                  picture.caption.isEmpty() ? QStringLiteral("未添加图片说明") : picture.caption}},
                QStringLiteral("保存墓地图示"));
    });
    return done(notice(name + QStringLiteral("墓地图示修改成功！")));
}
