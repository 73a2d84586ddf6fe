#include "launcher/pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "platform/ui/emblem.h"

namespace kvtu::launcher {

namespace {

const QColor dark_green(0x2e, 0x4a, 0x2a);
const QColor sand(0xd8, 0xc8, 0x8a);

// A 16 x 16 image of the notification-area menu, drawn by `draw` on a transparent ground.
template <class Draw>
QPixmap menu_image(Draw draw) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
    }
    return picture;
}

}  // namespace

QIcon application_icon() {
    return ui::emblem_icon();
}

QPixmap exit_image() {
    return menu_image([](QPainter& painter) {
        painter.setPen(QPen(QColor(0xb0, 0x20, 0x20), 2.5));
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

QPixmap launch_image() {
    return menu_image([](QPainter& painter) {
        QPainterPath arrow;
        arrow.moveTo(4, 3);
        arrow.lineTo(13, 8);
        arrow.lineTo(4, 13);
        arrow.closeSubpath();
        painter.fillPath(arrow, QColor(0x20, 0x80, 0x30));
    });
}

QPixmap about_picture() {
    QPixmap picture(230, 113);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 113);
    sky.setColorAt(0, QColor(0x4a, 0x6a, 0x8a));
    sky.setColorAt(1, sand);
    painter.fillRect(picture.rect(), sky);
    QPainterPath hills;
    hills.moveTo(0, 113);
    hills.lineTo(0, 80);
    hills.cubicTo(50, 55, 90, 95, 140, 70);
    hills.cubicTo(180, 52, 210, 75, 230, 65);
    hills.lineTo(230, 113);
    hills.closeSubpath();
    painter.fillPath(hills, dark_green);
    painter.drawPixmap(12, 12, ui::emblem(40));
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(60, 16, 165, 32), Qt::AlignLeft | Qt::AlignVCenter, "KVT:U");
    return picture;
}

}  // namespace kvtu::launcher
