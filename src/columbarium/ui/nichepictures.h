#pragma once

#include <QPixmap>

// The two pictures of the niche lists, drawn here: a niche front with one urn (单人框, picture 1) or
// with two urns side by side (any other style, picture 2).
namespace NichePictures {

constexpr int size = 32;

// Picture 1 for "单人框", 2 for any other style.
int numberFor(const QString& style);
// Picture `number` (1 or 2), drawn once and then kept in the pixmap cache.
QPixmap pixmap(int number);

} // namespace NichePictures
