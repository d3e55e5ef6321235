#pragma once

#include <QString>

// The words ghjc_wz stores for a niche's state and style; every window compares with these.
namespace NicheState {
inline const QString free = QStringLiteral("未使用");
inline const QString used = QStringLiteral("已使用");
} // namespace NicheState

namespace NicheStyle {
inline const QString single = QStringLiteral("单人框");
inline const QString twin = QStringLiteral("双人框");
} // namespace NicheStyle
