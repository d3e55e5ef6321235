#include "business/constructionsearch.h"

#include "foundation/columncatalogue.h"

namespace {

// The column as text, numbers in their shortest form: a whole REAL is kept as 3.0 but shown as 3.
QString searchedText(const QString& column) {
    if (ColumnCatalogue::kindOf(column) != ColumnCatalogue::Kind::Quantity)
        return column;
    return QStringLiteral("CASE WHEN %1 = CAST(%1 AS INTEGER) THEN CAST(CAST(%1 AS INTEGER) AS TEXT) "
                          "ELSE CAST(%1 AS TEXT) END")
        .arg(column);
}

// A column searched by any part of its shown text; the names as UTF-8 literals.
SearchField shown(const char* caption, const char* column) {
    return {QString::fromUtf8(caption), searchedText(QString::fromUtf8(column)),
            SearchField::Match::Containing};
}

SearchBook bookOf(ConstructionSheet sheet, const QList<SearchField>& fields) {
    return {QStringLiteral("SELECT * FROM ") + ConstructionService::table(sheet), fields, 0};
}

} // namespace

namespace ConstructionSearch {

QString title(ConstructionSheet sheet) {
    return sheet == ConstructionSheet::Order ? QStringLiteral("施工查询") : QStringLiteral("竣工查询");
}

const SearchBook& book(ConstructionSheet sheet) {
    using Source = NamePieces::Source;
    // People are found by any part of their names or by pinyin.
    static const SearchBook order =
        bookOf(ConstructionSheet::Order,
               {SearchField::name("先人姓名", Source::OrderDeceased), shown("墓地位置", "墓地位置"),
                shown("穴位数量", "穴位数量"), shown("编号", "编号"), shown("穴位深度", "穴位深度"),
                shown("墓面铺设", "墓面铺设"), shown("竣工时间", "竣工时间"), shown("墓型", "墓型")});
    static const SearchBook acceptance =
        bookOf(ConstructionSheet::Acceptance,
               {SearchField::name("先人姓名", Source::AcceptanceDeceased), shown("墓地位置", "墓地位置"),
                shown("穴位数量", "穴位数量"), shown("编号", "编号"), shown("穴位深度", "穴位深度"),
                SearchField::name("施工方代表", Source::AcceptanceBuilder), shown("竣工时间", "竣工时间"),
                shown("所建墓型", "所建墓型"), SearchField::name("验收人", Source::AcceptanceInspector),
                SearchField::name("工程部代表", Source::AcceptanceEngineer)});
    return sheet == ConstructionSheet::Order ? order : acceptance;
}

} // namespace ConstructionSearch
