#include "business/constructionsearch.h"

#include "foundation/columncatalogue.h"
#include "foundation/likepattern.h"

namespace {

// The column as text, numbers in their shortest form: a whole REAL is kept as 3.0 but shown as 3.
QString searchedText(const QString& column) {
    if (ColumnCatalogue::kindOf(column) != ColumnCatalogue::Kind::Quantity)
        return column;
    return QStringLiteral("CASE WHEN %1 = CAST(%1 AS INTEGER) THEN CAST(CAST(%1 AS INTEGER) AS TEXT) "
                          "ELSE CAST(%1 AS TEXT) END")
        .arg(column);
}

} // namespace

namespace ConstructionSearch {

QString title(ConstructionSheet sheet) {
    return sheet == ConstructionSheet::Order ? QStringLiteral("施工查询") : QStringLiteral("竣工查询");
}

const QList<SearchOption>& options(ConstructionSheet sheet) {
    static const QList<SearchOption> order = {
        {QStringLiteral("Option1"), QStringLiteral("先人姓名"), QStringLiteral("故者姓名")},
        {QStringLiteral("Option2"), QStringLiteral("墓地位置"), QStringLiteral("墓地位置")},
        {QStringLiteral("Option3"), QStringLiteral("穴位数量"), QStringLiteral("穴位数量")},
        {QStringLiteral("Option4"), QStringLiteral("编号"), QStringLiteral("编号")},
        {QStringLiteral("Option5"), QStringLiteral("穴位深度"), QStringLiteral("穴位深度")},
        {QStringLiteral("Option6"), QStringLiteral("墓面铺设"), QStringLiteral("墓面铺设")},
        {QStringLiteral("Option7"), QStringLiteral("竣工时间"), QStringLiteral("竣工时间")},
        {QStringLiteral("Option8"), QStringLiteral("墓型"), QStringLiteral("墓型")},
    };
    static const QList<SearchOption> acceptance = {
        {QStringLiteral("Option1"), QStringLiteral("先人姓名"), QStringLiteral("故者姓名")},
        {QStringLiteral("Option2"), QStringLiteral("墓地位置"), QStringLiteral("墓地位置")},
        {QStringLiteral("Option3"), QStringLiteral("穴位数量"), QStringLiteral("穴位数量")},
        {QStringLiteral("Option4"), QStringLiteral("编号"), QStringLiteral("编号")},
        {QStringLiteral("Option5"), QStringLiteral("穴位深度"), QStringLiteral("穴位深度")},
        {QStringLiteral("Option6"), QStringLiteral("施工方代表"), QStringLiteral("施工方代表")},
        {QStringLiteral("Option7"), QStringLiteral("竣工时间"), QStringLiteral("竣工时间")},
        {QStringLiteral("Option8"), QStringLiteral("所建墓型"), QStringLiteral("所建墓型")},
        {QStringLiteral("Option9"), QStringLiteral("验收人"), QStringLiteral("验收人")},
        {QStringLiteral("Option10"), QStringLiteral("工程部代表"), QStringLiteral("工程部代表")},
    };
    return sheet == ConstructionSheet::Order ? order : acceptance;
}

BoundQuery find(ConstructionSheet sheet, int option, const QString& typed) {
    const QString all = QStringLiteral("SELECT * FROM ") + ConstructionService::table(sheet);
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {all + QStringLiteral(" ORDER BY rid"), {}};
    return {all + QStringLiteral(" WHERE %1 LIKE ? ESCAPE '\\' ORDER BY rid")
                      .arg(searchedText(options(sheet).at(option).column)),
            {LikePattern::containing(text)}};
}

} // namespace ConstructionSearch
