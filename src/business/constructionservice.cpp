#include "business/constructionservice.h"

#include "business/registerrows.h"
#include "foundation/clock.h"
#include "foundation/database.h"
#include "foundation/datetext.h"
#include "foundation/money.h"

namespace {

using Kind = SheetField::Kind;

const QString nameColumn = QStringLiteral("故者姓名");

// What a field holds as the database keeps it.
QVariant stored(const SheetField& field, const QVariant& typed) {
    switch (field.kind) {
    case Kind::Trimmed:
        return typed.toString().trimmed();
    case Kind::AsTyped:
        return typed.toString();
    case Kind::Number:
        return Money::parseLeading(typed.toString());
    case Kind::Date:
        return DateText::fromDate(typed.toDate());
    }
    return {};
}

// What a field of `kind` shows of a stored value.
QVariant shown(Kind kind, const QVariant& value) {
    switch (kind) {
    case Kind::Trimmed:
    case Kind::AsTyped:
        return value.toString();
    case Kind::Number:
        return value.isNull() ? QString() : Money::format(value.toDouble());
    case Kind::Date:
        return DateText::toDate(value.toString());
    }
    return {};
}

// The columns of the fields, for a SELECT.
QString columnList(const QList<SheetField>& fields) {
    QStringList columns;
    for (const SheetField& field : fields)
        columns << field.column;
    return columns.join(QStringLiteral(", "));
}

} // namespace

ConstructionService::ConstructionService(const ServiceContext& context, ConstructionSheet sheet)
    : m_database(context.database), m_clock(context.clock), m_sheet(sheet), m_stones(context) {}

QString ConstructionService::table(ConstructionSheet sheet) {
    return sheet == ConstructionSheet::Order ? QStringLiteral("jmsg") : QStringLiteral("jmsgys");
}

const QList<SheetField>& ConstructionService::fields(ConstructionSheet sheet) {
    static const QList<SheetField> order = {
        {QStringLiteral("Maskxrname"), nameColumn, Kind::Trimmed},
        {QStringLiteral("Maskmx"), QStringLiteral("墓型"), Kind::Trimmed},
        {QStringLiteral("Maskxwsd"), QStringLiteral("穴位深度"), Kind::Number},
        {QStringLiteral("Maskxwsl"), QStringLiteral("穴位数量"), Kind::Number},
        {QStringLiteral("Maskmmps"), QStringLiteral("墓面铺设"), Kind::Trimmed},
        {QStringLiteral("DTP1"), QStringLiteral("竣工时间"), Kind::Date},
        {QStringLiteral("Richbz"), QStringLiteral("备注"), Kind::AsTyped},
        {QStringLiteral("Maskbh"), QStringLiteral("编号"), Kind::AsTyped},
    };
    static const QList<SheetField> acceptance = {
        {QStringLiteral("Maskxrname"), nameColumn, Kind::Trimmed},
        {QStringLiteral("Maskmx"), QStringLiteral("所建墓型"), Kind::Trimmed},
        {QStringLiteral("Maskxwsd"), QStringLiteral("穴位深度"), Kind::Number},
        {QStringLiteral("Maskxwsl"), QStringLiteral("穴位数量"), Kind::Number},
        {QStringLiteral("DTP1"), QStringLiteral("竣工时间"), Kind::Date},
        {QStringLiteral("Maskjmzlpd"), QStringLiteral("建墓质量评定"), Kind::AsTyped},
        {QStringLiteral("Richbz"), QStringLiteral("需整改内容"), Kind::AsTyped},
        {QStringLiteral("Maskysr"), QStringLiteral("验收人"), Kind::AsTyped},
        {QStringLiteral("Masksgfdb"), QStringLiteral("施工方代表"), Kind::AsTyped},
        {QStringLiteral("Maskgcbdb"), QStringLiteral("工程部代表"), Kind::AsTyped},
        {QStringLiteral("Maskbh"), QStringLiteral("编号"), Kind::AsTyped},
    };
    return sheet == ConstructionSheet::Order ? order : acceptance;
}

QStringList ConstructionService::tombTypes() {
    return m_database.texts(QStringLiteral("SELECT mblx FROM mblx WHERE mblx IS NOT NULL ORDER BY rid"), {},
                            QStringLiteral("读取墓型"));
}

bool ConstructionService::learnTombType(const QString& text) {
    return m_stones.learn(PurchaseService::StoneList::Type, text);
}

SheetValues ConstructionService::load(const QString& plotKey) {
    const QList<SheetField>& sheetFields = fields(m_sheet);
    SheetValues values;
    for (const SheetField& field : sheetFields)
        values.insert(field.column,
                      field.kind == Kind::Date ? QVariant(m_clock.today()) : QVariant(QString()));
    const std::optional<StoredRow> first =
        RegisterRows::read(m_database, plotKey, RegisterRows::Which::First, {QStringLiteral("故者姓名")},
                           QStringLiteral("读取落葬人"));
    const QString name = first ? first->text(QStringLiteral("故者姓名")).trimmed() : QString();
    values.insert(nameColumn, name);
    if (name.isEmpty())
        return values;

    const QString doing = QStringLiteral("读取建墓记录");
    QSqlQuery sheet = m_database.exec(
        QStringLiteral("SELECT %1 FROM %2 WHERE 墓地位置 = ? AND 故者姓名 = ? ORDER BY rid LIMIT 1")
            .arg(columnList(sheetFields), table(m_sheet)),
        {plotKey, name}, doing);
    if (sheet.next()) {
        for (int column = 0; column < sheetFields.size(); ++column) {
            const SheetField& field = sheetFields.at(column);
            const QVariant value = shown(field.kind, sheet.value(column));
            // A row without a date keeps today's.
            if (field.kind != Kind::Date || value.toDate().isValid())
                values.insert(field.column, value);
        }
        return values;
    }
    if (m_sheet == ConstructionSheet::Order)
        return values;

    // An acceptance not written yet begins with what the order set out.
    QSqlQuery order =
        m_database.exec(QStringLiteral("SELECT 墓型, 穴位深度, 穴位数量, 编号 FROM jmsg "
                                       "WHERE 墓地位置 = ? AND 故者姓名 = ? ORDER BY rid LIMIT 1"),
                        {plotKey, name}, doing);
    if (order.next()) {
        values.insert(QStringLiteral("所建墓型"), order.value(QStringLiteral("墓型")).toString());
        values.insert(QStringLiteral("穴位深度"),
                      shown(Kind::Number, order.value(QStringLiteral("穴位深度"))));
        values.insert(QStringLiteral("穴位数量"),
                      shown(Kind::Number, order.value(QStringLiteral("穴位数量"))));
        values.insert(QStringLiteral("编号"), order.value(QStringLiteral("编号")).toString());
    }
    return values;
}

SaveOutcome ConstructionService::save(const QString& plotKey, const SheetValues& typed) {
    const QString name = typed.value(nameColumn).toString().trimmed();
    if (name.isEmpty())
        return refused(plain(QStringLiteral("故者姓名不能为空！")), QStringLiteral("Maskxrname"));

    const QString sheetTable = table(m_sheet);
    QList<Database::Column> columns;
    for (const SheetField& field : fields(m_sheet))
        if (field.column != nameColumn)
            columns << Database::Column{field.column, stored(field, typed.value(field.column))};
    // The sheet's row, or nothing when the plot has nobody left to build for.
    const std::optional<qint64> row = m_database.transaction([&]() -> std::optional<qint64> {
        // A plot given back since the window opened has nobody left to build for.
        if (!m_database
                 .scalar(QStringLiteral("SELECT 1 FROM gm_dj WHERE 墓碑位置 = ?"), {plotKey},
                         QStringLiteral("查找购墓登记"))
                 .isValid())
            return std::nullopt;
        const QString doing = m_sheet == ConstructionSheet::Order ? QStringLiteral("写入建墓施工单")
                                                                  : QStringLiteral("写入建墓竣工验收");
        const QVariant existing = m_database.scalar(
            QStringLiteral("SELECT rid FROM %1 WHERE 墓地位置 = ? AND 故者姓名 = ? ORDER BY rid LIMIT 1")
                .arg(sheetTable),
            {plotKey, name}, doing);
        if (existing.isValid()) {
            QSqlQuery update = m_database.prepareUpdate(sheetTable, columns, QStringLiteral("rid = ?"),
                                                        {existing.toLongLong()}, doing);
            m_database.run(update, doing);
            return existing.toLongLong();
        }
        return m_database.insert(
            sheetTable,
            QList<Database::Column>{{QStringLiteral("墓地位置"), plotKey}, {nameColumn, name}} + columns,
            doing);
    });
    if (!row)
        return refused(notice(QStringLiteral("此墓的购墓登记已经不在了，可能已被退墓。")));

    const QString templateName =
        m_sheet == ConstructionSheet::Order ? QStringLiteral("jmsg      ") : QStringLiteral("sgys      ");
    return done(
        plain(QStringLiteral("保存成功！")),
        {PrintJob{templateName, std::nullopt,
                  QStringLiteral("select * from %1 where rid=%2").arg(sheetTable).arg(*row), std::nullopt}});
}
