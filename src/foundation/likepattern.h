#pragma once

#include <QString>

// Searches match what the operator typed literally: % and _ typed are only themselves. Use the
// pattern with `LIKE ? ESCAPE '\'`.
namespace LikePattern {

// Matches texts that contain `typed`.
QString containing(const QString& typed);

} // namespace LikePattern
