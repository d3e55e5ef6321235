#pragma once

#include "shared/fieldsearch.h"

// What 查找寄存位置 searches: the storage registrations by a part of a name or a unit.
namespace NicheSearch {

const SearchBook& storages();

} // namespace NicheSearch
