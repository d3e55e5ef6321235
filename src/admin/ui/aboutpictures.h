#pragma once

#include <QPixmap>

// The pictures of the 技术支持 and 鸣谢 windows, drawn by the program itself.
namespace AboutPictures {

// A small emblem: a cypress over a gentle hill in a round frame.
QPixmap emblem(int size);
// One of the two tall bands of thanks that scroll in 鸣谢 (`which` is 0 or 1).
QPixmap thanksBand(int which, int width);

} // namespace AboutPictures
