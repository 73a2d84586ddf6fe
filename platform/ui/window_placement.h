#pragma once
class QWidget;

namespace kvtu::ui {

// Centres a top-level window on the screen it is on (the primary screen when it has none).
void center_on_screen(QWidget& window);

}  // namespace kvtu::ui
