#include "admin/unitinfoservice.h"

#include "foundation/database.h"

UnitInfo UnitInfoService::load() {
    return UnitInfo::load(m_database);
}

void UnitInfoService::writeRow(const std::function<void()>& write) {
    m_database.transaction([&] {
        if (m_database.scalar(QStringLiteral("SELECT count(*) FROM yhxx"), {}, QStringLiteral("读取单位信息"))
                .toInt() == 0)
            m_database.insert(QStringLiteral("yhxx"), {{QStringLiteral("bjt"), QStringLiteral("无")}},
                              QStringLiteral("添加单位信息"));
        write();
    });
}

SaveOutcome UnitInfoService::save(const UnitInfoForm& form) {
    const QString name = form.unitName.trimmed();
    if (name.isEmpty())
        return refused(notice(QStringLiteral("用户称谓不能为空！")), QStringLiteral("Mask_cw"));
    bool isNumber = false;
    const double size = form.fontSize.trimmed().toDouble(&isNumber);
    QList<Database::Column> columns = {{QStringLiteral("dwmc"), name},
                                       {QStringLiteral("zt"), form.fontName.trimmed()},
                                       {QStringLiteral("bjt"), form.picturePath}};
    if (isNumber && size > 0)
        columns << Database::Column{QStringLiteral("ztdx"), size};
    if (!form.colourName.trimmed().isEmpty())
        columns << Database::Column{QStringLiteral("ztys"), form.colourName.trimmed()};
    writeRow([&] {
        QSqlQuery update = m_database.prepareUpdate(QStringLiteral("yhxx"), columns, QStringLiteral("1 = 1"),
                                                    {}, QStringLiteral("保存单位信息"));
        m_database.run(update, QStringLiteral("保存单位信息"));
    });
    return done();
}

void UnitInfoService::restoreDefaultBackground() {
    writeRow([&] {
        m_database.exec(QStringLiteral("UPDATE yhxx SET bjt = ?"), {QStringLiteral("无")},
                        QStringLiteral("恢复默认背景"));
    });
}
