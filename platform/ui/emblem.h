#pragma once
// The suite's emblem, drawn rather than shipped: a dark green disc with a sand rim and a "K".
// Both programs use it as their application icon.
#include <QIcon>
#include <QPixmap>

namespace kvtu::ui {

// The emblem on a transparent square of `size` pixels.
QPixmap emblem(int size);
// The emblem at 16, 32 and 64 pixels.
QIcon emblem_icon();

}  // namespace kvtu::ui
