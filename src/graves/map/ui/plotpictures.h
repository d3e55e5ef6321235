#pragma once

#include <QImage>
#include <QPixmap>

// The 24 pictures of the plot maps, drawn here: the stone's shape tells the style (single, double,
// family, multi-person), its colour the state (free green, reserved orange, sold blue, advance-bought
// purple with a gold star), and a figure in a white disc who is buried (a person, a man, a woman, two).
namespace PlotPictures {

constexpr int size = 32;

// Picture `number` (1..24); an empty image for any other number.
QImage draw(int number);
// The same as a pixmap, drawn once and then kept in the pixmap cache.
QPixmap pixmap(int number);

} // namespace PlotPictures
