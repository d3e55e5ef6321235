#include "business/plotsearch.h"

namespace PlotSearch {

const SearchBook& purchases() {
    using F = SearchField;
    static const SearchBook book{QStringLiteral("select * from gm_dj"),
                                 {F::name("故者姓名", NamePieces::Source::PlotDeceased),
                                  F::containing("故者生前单位", "生前单位"),
                                  F::containing("籍贯", "籍贯"),
                                  {QStringLiteral("编号"), QStringLiteral("编号"), F::Match::Exact},
                                  F::name("联系人", NamePieces::Source::PlotContact),
                                  F::containing("联系人工作单位", "工作单位"),
                                  F::containing("业务员", "业务员"),
                                  F::containing("联系电话", "联系电话"),
                                  F::containing("墓碑位置", "墓碑位置")},
                                 8};
    return book;
}

const SearchBook& reservations() {
    using F = SearchField;
    static const SearchBook book{QStringLiteral("select * from ydmd"),
                                 {F::name("联系人", NamePieces::Source::ReservationContact),
                                  {QStringLiteral("记录id号"), QStringLiteral("id"), F::Match::Number},
                                  F::containing("联系人工作单位", "工作单位"),
                                  F::containing("家庭住址", "家庭住址"),
                                  F::containing("联系电话", "联系电话"),
                                  F::containing("墓碑位置", "墓碑位置")},
                                 5};
    return book;
}

} // namespace PlotSearch
