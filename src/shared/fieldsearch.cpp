#include "shared/fieldsearch.h"

#include "foundation/likepattern.h"
#include "foundation/money.h"

SearchField SearchField::containing(const char* caption, const char* column) {
    return {QString::fromUtf8(caption), QString::fromUtf8(column), Match::Containing};
}

SearchField SearchField::name(const char* caption, NamePieces::Source source) {
    return {QString::fromUtf8(caption), NamePieces::column(source).column, Match::Name, source};
}

BoundQuery SearchBook::find(Database& database, const SearchField& field, const QString& typed) const {
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {select, {}};
    switch (field.match) {
    case SearchField::Match::Containing:
        return {select + QStringLiteral(" where %1 like ? escape '\\'").arg(field.column),
                {LikePattern::containing(text)}};
    case SearchField::Match::Name: {
        const BoundQuery condition = NamePieces::containing(database, field.pieces, text);
        return {select + QStringLiteral(" where ") + condition.sql, condition.values};
    }
    case SearchField::Match::Exact:
        // A number column compared as text: "12" finds 12, never 120 or 12.5.
        return {select + QStringLiteral(" where cast(%1 as text) = ?").arg(field.column), {text}};
    case SearchField::Match::Number:
        return {select + QStringLiteral(" where %1 = ?").arg(field.column), {Money::parseLeading(text)}};
    }
    return {select, {}};
}
