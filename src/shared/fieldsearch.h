#pragma once

#include "foundation/boundquery.h"
#include "shared/namepieces.h"

#include <QList>
#include <QString>

// A search by one field the operator chooses among a table's options.
struct SearchField {
    enum class Match {
        Containing, // any part of the text, typed % and _ being only themselves
        Exact,      // the whole value, a number read as its plain text
        Number,     // the value of the typed text's leading number
        Name,       // as Containing, a person's name or contact looked up by its pieces
    };
    QString caption; // the option's
    QString column;
    Match match = Match::Containing;
    NamePieces::Source pieces{}; // Name's

    // A field matched by any part of its text; the names as UTF-8 literals.
    static SearchField containing(const char* caption, const char* column);
    // A name or contact matched by any part, found through its pieces.
    static SearchField name(const char* caption, NamePieces::Source source);
};

// The rows one search window looks through: the table, its fields in the order of the options, and
// the field searched when no option is chosen.
struct SearchBook {
    QString select; // every row, without a condition
    QList<SearchField> fields;
    qsizetype fallback = 0;

    // Every row when the typed text is empty (blanks around it do not count), else the rows whose
    // `field` matches it. A name's lookup asks the database how common the pieces of the text are.
    BoundQuery find(Database& database, const SearchField& field, const QString& typed) const;
};
