#include "columbarium/nichesearch.h"

namespace NicheSearch {

const SearchBook& storages() {
    using F = SearchField;
    static const SearchBook book{
        QStringLiteral("select * from ghjc_dj"),
        {F::name("故者姓名", NamePieces::Source::StorageDeceased), F::containing("故者生前单位", "生前单位"),
         F::name("联系人", NamePieces::Source::StorageContact), F::containing("联系人工作单位", "工作单位")},
        0};
    return book;
}

} // namespace NicheSearch
