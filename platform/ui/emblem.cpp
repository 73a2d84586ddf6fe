#include "platform/ui/emblem.h"

#include <QFont>
#include <QPainter>

namespace kvtu::ui {

QPixmap emblem(int size) {
    const QColor dark_green(0x2e, 0x4a, 0x2a);
    const QColor sand(0xd8, 0xc8, 0x8a);
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(dark_green);
    painter.setPen(QPen(sand, size / 16.0 + 0.5));
    painter.drawEllipse(QRectF(0.5, 0.5, size - 1.0, size - 1.0));
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(size * 5 / 8);
    painter.setFont(font);
    painter.setPen(sand);
    painter.drawText(picture.rect(), Qt::AlignCenter, "K");
    return picture;
}

QIcon emblem_icon() {
    QIcon icon;
    for (int size : {16, 32, 64}) icon.addPixmap(emblem(size));
    return icon;
}

}  // namespace kvtu::ui
