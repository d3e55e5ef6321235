#pragma once

#include "business/constructionservice.h"

#include "foundation/boundquery.h"

#include <QList>
#include <QString>

// One way of searching a query window: its option button and the column it searches.
struct SearchOption {
    QString control; // Option1, Option2, ...
    QString caption;
    QString column;
};

// 施工查询 and 竣工查询: the orders or the acceptances whose chosen column holds the typed text.
namespace ConstructionSearch {

QString title(ConstructionSheet sheet);
// The options in the order the window offers them.
const QList<SearchOption>& options(ConstructionSheet sheet);
// Every row of the sheet's table for a blank text; otherwise the rows whose column of `options()[option]`
// contains the trimmed text, typed % and _ being only themselves. Numbers are searched as they are
// shown (3, 2.5), dates as yyyy-MM-dd.
BoundQuery find(ConstructionSheet sheet, int option, const QString& typed);

} // namespace ConstructionSearch
