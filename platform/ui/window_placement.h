#pragma once
class QWidget;

namespace kvtu::ui {

// Centres a top-level window on the screen it is on (the primary screen when it has none).
void center_on_screen(QWidget& window);

// Centres the window when it is shown for the first time; later shows keep where it was moved.
void center_on_first_show(QWidget& window);

}  // namespace kvtu::ui
