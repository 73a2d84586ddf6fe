#include "browser/pictures.h"

#include <QPainter>
#include <functional>
#include <vector>

#include "platform/ui/emblem.h"

namespace kvtu::browser {

namespace {

constexpr int side = 16;

QPixmap drawn(const std::function<void(QPainter&)>& draw) {
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    draw(painter);
    return picture;
}

// A flag of 16 by 11 pixels in the middle of the picture, with a thin grey frame.
QPixmap flag(const std::function<void(QPainter&, const QRect&)>& draw) {
    return drawn([&draw](QPainter& painter) {
        const QRect area(0, 2, side, 11);
        draw(painter, area);
        painter.setPen(QColor(0x60, 0x60, 0x60));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
    });
}

QPixmap horizontal_stripes(const std::vector<QColor>& colours) {
    return flag([colours](QPainter& painter, const QRect& area) {
        const int count = static_cast<int>(colours.size());
        for (int i = 0; i < count; ++i) {
            const int top = area.top() + area.height() * i / count;
            const int bottom = area.top() + area.height() * (i + 1) / count;
            painter.fillRect(QRect(area.left(), top, area.width(), bottom - top), colours[i]);
        }
    });
}

QPixmap vertical_stripes(const std::vector<QColor>& colours) {
    return flag([colours](QPainter& painter, const QRect& area) {
        const int count = static_cast<int>(colours.size());
        for (int i = 0; i < count; ++i) {
            const int left = area.left() + area.width() * i / count;
            const int right = area.left() + area.width() * (i + 1) / count;
            painter.fillRect(QRect(left, area.top(), right - left, area.height()), colours[i]);
        }
    });
}

const QColor red(0xd0, 0x10, 0x20);
const QColor white(Qt::white);
const QColor blue(0x10, 0x30, 0x90);

}  // namespace

QIcon application_icon() {
    return ui::emblem_icon();
}

QList<QPixmap> customimagelist() {
    QList<QPixmap> images;
    images << drawn([](QPainter& painter) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(red);
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        painter.fillRect(QRect(4, 7, 8, 2), white);
    });
    images << horizontal_stripes({red, white, red});           // Austria
    images << flag([](QPainter& painter, const QRect& area) {  // Canada
        painter.fillRect(area, white);
        painter.fillRect(QRect(area.left(), area.top(), 4, area.height()), red);
        painter.fillRect(QRect(area.right() - 3, area.top(), 4, area.height()), red);
        painter.fillRect(QRect(7, area.top() + 3, 2, 5), red);
    });
    images << flag([](QPainter& painter, const QRect& area) {  // China
        painter.fillRect(area, red);
        painter.fillRect(QRect(area.left() + 2, area.top() + 2, 3, 3), QColor(0xff, 0xde, 0x00));
    });
    images << vertical_stripes({blue, white, red});                            // France
    images << horizontal_stripes({Qt::black, red, QColor(0xff, 0xce, 0x00)});  // Germany
    images << flag([](QPainter& painter, const QRect& area) {                  // United Kingdom
        painter.fillRect(area, blue);
        painter.setPen(QPen(white, 2));
        painter.drawLine(area.topLeft(), area.bottomRight());
        painter.drawLine(area.bottomLeft(), area.topRight());
        painter.fillRect(QRect(6, area.top(), 4, area.height()), white);
        painter.fillRect(QRect(area.left(), area.top() + 4, area.width(), 3), white);
        painter.fillRect(QRect(7, area.top(), 2, area.height()), red);
        painter.fillRect(QRect(area.left(), area.top() + 5, area.width(), 1), red);
    });
    images << horizontal_stripes({QColor(0x0d, 0x5e, 0xaf), white, QColor(0x0d, 0x5e, 0xaf), white,
                                  QColor(0x0d, 0x5e, 0xaf)});            // Greece
    images << vertical_stripes({QColor(0x00, 0x92, 0x46), white, red});  // Italy
    images << flag([](QPainter& painter, const QRect& area) {            // Japan
        painter.fillRect(area, white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(red);
        painter.drawEllipse(QRectF(5, area.top() + 2.5, 6, 6));
    });
    images << horizontal_stripes({white, red});                // Poland
    images << flag([](QPainter& painter, const QRect& area) {  // chequered flag
        for (int y = 0; y < area.height(); y += 3) {
            for (int x = 0; x < area.width(); x += 3) {
                const bool dark = ((x + y) / 3) % 2 == 0;
                painter.fillRect(QRect(x, area.top() + y, 3, 3), dark ? Qt::black : Qt::white);
            }
        }
    });
    images << flag([](QPainter& painter, const QRect& area) {  // Switzerland
        painter.fillRect(area, red);
        painter.fillRect(QRect(7, area.top() + 2, 2, 7), white);
        painter.fillRect(QRect(5, area.top() + 4, 6, 3), white);
    });
    images << flag([](QPainter& painter, const QRect& area) {  // Turkey
        painter.fillRect(area, red);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(white);
        painter.drawEllipse(QRectF(3, area.top() + 2.5, 6, 6));
        painter.setBrush(red);
        painter.drawEllipse(QRectF(4.5, area.top() + 3, 5, 5));
    });
    images << flag([](QPainter& painter, const QRect& area) {  // United States
        for (int i = 0; i < area.height(); ++i) {
            painter.fillRect(QRect(area.left(), area.top() + i, area.width(), 1),
                             i % 2 == 0 ? red : white);
        }
        painter.fillRect(QRect(area.left(), area.top(), 7, 6), blue);
    });
    images << drawn([](QPainter& painter) {  // the newer version's picture
        painter.fillRect(QRect(2, 2, 12, 12), QColor(0x8b, 0x5a, 0x2b));
        painter.fillRect(QRect(4, 4, 8, 5), QColor(0xc8, 0x9b, 0x5e));
        painter.fillRect(QRect(4, 10, 8, 2), QColor(0x5c, 0x3a, 0x1a));
    });
    images << drawn([](QPainter& painter) {  // the older version's picture
        painter.fillRect(QRect(1, 1, 14, 14), QColor(0xc0, 0x18, 0x18));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x90, 0x90, 0x90));
        painter.drawEllipse(QRectF(4, 4, 8, 8));
        painter.setBrush(QColor(0x6b, 0x70, 0x2a));
        painter.drawEllipse(QRectF(6, 6, 4, 4));
    });
    return images;
}

}  // namespace kvtu::browser
