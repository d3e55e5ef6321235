#pragma once

#include "business/constructionservice.h"

#include "shared/fieldsearch.h"

#include <QString>

// 施工查询 and 竣工查询: the orders or the acceptances whose chosen column holds the typed text.
namespace ConstructionSearch {

QString title(ConstructionSheet sheet);
// The sheet's table searched by any part of one column, the fields in the order the window offers them.
// Numbers are searched as they are shown (3, 2.5), dates as yyyy-MM-dd.
const SearchBook& book(ConstructionSheet sheet);

} // namespace ConstructionSearch
