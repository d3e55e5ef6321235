#pragma once

#include "shared/fieldsearch.h"

// What 查找墓地 searches: the purchased plots and the reservations, each by one chosen field; the
// plot key when no field is chosen.
namespace PlotSearch {

const SearchBook& purchases();
const SearchBook& reservations();

} // namespace PlotSearch
