#pragma once

#include <QString>
#include <optional>

// What pelu starts pelu-print with: one argument TEMPLATE$#QUERY, optionally followed by @HEADING.
struct PrintRequest {
    QString templateName;
    QString query;
    std::optional<QString> heading;

    // Splits a command tail. The template name ends at the first "$#" and loses its padding blanks;
    // the heading starts after the last "@" that is not inside a quoted SQL literal or identifier,
    // so a name such as 'a@b.cn' in the query stays in the query. Throws PrintError.
    static PrintRequest parse(const QString& tail);
};
