#include "plain_labels.h"

#include <QLabel>
#include <QWidget>

namespace kvtu::ui {

void show_labels_as_plain_text(QWidget& window) {
    for (QLabel* label : window.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}

}  // namespace kvtu::ui
