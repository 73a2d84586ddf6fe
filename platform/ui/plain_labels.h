#pragma once
// Labels of our windows show their texts as written. Many of those texts come from outside (a
// game server's reply, a skin's description, a path): a text that looks like markup must not be
// rendered as such, which would let a server restyle the window or make it load local files.
class QWidget;

namespace kvtu::ui {

void show_labels_as_plain_text(QWidget& window);

}  // namespace kvtu::ui
