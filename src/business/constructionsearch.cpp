#include "business/constructionsearch.h"

#include "foundation/columncatalogue.h"

#include <utility>

namespace {

// The column as text, numbers in their shortest form: a whole REAL is kept as 3.0 but shown as 3.
QString searchedText(const QString& column) {
    if (ColumnCatalogue::kindOf(column) != ColumnCatalogue::Kind::Quantity)
        return column;
    return QStringLiteral("CASE WHEN %1 = CAST(%1 AS INTEGER) THEN CAST(CAST(%1 AS INTEGER) AS TEXT) "
                          "ELSE CAST(%1 AS TEXT) END")
        .arg(column);
}

// Captions and columns as UTF-8 literals.
SearchBook bookOf(ConstructionSheet sheet, const QList<std::pair<const char*, const char*>>& fields) {
    SearchBook book{QStringLiteral("SELECT * FROM ") + ConstructionService::table(sheet), {}, 0};
    for (const auto& [caption, column] : fields)
        book.fields << SearchField{QString::fromUtf8(caption), searchedText(QString::fromUtf8(column)),
                                   SearchField::Match::Containing};
    return book;
}

} // namespace

namespace ConstructionSearch {

QString title(ConstructionSheet sheet) {
    return sheet == ConstructionSheet::Order ? QStringLiteral("施工查询") : QStringLiteral("竣工查询");
}

const SearchBook& book(ConstructionSheet sheet) {
    static const SearchBook order = bookOf(ConstructionSheet::Order, {{"先人姓名", "故者姓名"},
                                                                      {"墓地位置", "墓地位置"},
                                                                      {"穴位数量", "穴位数量"},
                                                                      {"编号", "编号"},
                                                                      {"穴位深度", "穴位深度"},
                                                                      {"墓面铺设", "墓面铺设"},
                                                                      {"竣工时间", "竣工时间"},
                                                                      {"墓型", "墓型"}});
    static const SearchBook acceptance =
        bookOf(ConstructionSheet::Acceptance, {{"先人姓名", "故者姓名"},
                                               {"墓地位置", "墓地位置"},
                                               {"穴位数量", "穴位数量"},
                                               {"编号", "编号"},
                                               {"穴位深度", "穴位深度"},
                                               {"施工方代表", "施工方代表"},
                                               {"竣工时间", "竣工时间"},
                                               {"所建墓型", "所建墓型"},
                                               {"验收人", "验收人"},
                                               {"工程部代表", "工程部代表"}});
    return sheet == ConstructionSheet::Order ? order : acceptance;
}

} // namespace ConstructionSearch
