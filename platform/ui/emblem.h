#pragma once
// The suite's emblem, a dark green disc with a sand rim and a "K": the picture shipped as
// assets/icons/kvtu.png, built into the programs as a resource. Both programs use it as their
// application icon; showing it draws no text, so it sets up no fonts at start.
#include <QIcon>
#include <QPixmap>

namespace kvtu::ui {

// The emblem on a transparent square of `size` pixels.
QPixmap emblem(int size);
// The emblem as the application icon.
QIcon emblem_icon();

}  // namespace kvtu::ui
