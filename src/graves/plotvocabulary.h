#pragma once

#include <QString>

// The words mq_wz stores for a plot's state and style; every window compares with these.
namespace PlotState {
inline const QString free = QStringLiteral("未使用");
inline const QString reserved = QStringLiteral("已预订");
inline const QString sold = QStringLiteral("已购");
inline const QString restricted = QStringLiteral("限制");
} // namespace PlotState

namespace PlotStyle {
inline const QString single = QStringLiteral("单人墓");
inline const QString twin = QStringLiteral("双人墓");
inline const QString family = QStringLiteral("家族墓");
inline const QString multiple = QStringLiteral("多人墓");
inline const QString artistic = QStringLiteral("艺术墓");
} // namespace PlotStyle
