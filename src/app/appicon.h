#pragma once

#include <QIcon>

class QPainter;
class QRectF;

// Pelu's own icon: a grey headstone on a green hill under a pale sky, drawn in code so the window,
// the desktop menu and every icon size come from one drawing.
namespace AppIcon {

void paint(QPainter& painter, const QRectF& square);
QIcon icon();

} // namespace AppIcon
