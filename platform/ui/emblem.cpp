#include "platform/ui/emblem.h"

namespace kvtu::ui {

QPixmap emblem(int size) {
    return emblem_icon().pixmap(size, size);
}

QIcon emblem_icon() {
    // Read when first shown; a small picture, so each icon reading it again costs little.
    return QIcon(QStringLiteral(":/kvtu/icons/kvtu.png"));
}

}  // namespace kvtu::ui
