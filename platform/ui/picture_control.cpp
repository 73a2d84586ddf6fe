#include "picture_control.h"

#include <QMouseEvent>
#include <QPainter>

namespace kvtu::ui {

PictureControl::PictureControl(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PictureControl::set_picture(JpegPicture picture) {
    picture_ = std::move(picture);
    has_picture_ = true;
    image_ = QImage();
    decoded_ = false;
    update();
}

void PictureControl::load_picture(const std::string& path) {
    set_picture(JpegPicture::load_file(path));
}

void PictureControl::paintEvent(QPaintEvent* event) {
    if (!has_picture_) {
        QLabel::paintEvent(event);
        return;
    }
    if (!decoded_) {
        image_ = picture_.decode();
        decoded_ = true;
    }
    if (image_.isNull()) return;
    QPainter painter(this);
    if (hasScaledContents()) {
        painter.drawImage(rect(), image_);
    } else {
        painter.drawImage(QPoint(0, 0), image_);
    }
}

void PictureControl::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) left_pressed_ = true;
    emit mouse_down(event->button(), event->modifiers(), at.x(), at.y());
}

void PictureControl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mouse_move(event->modifiers(), at.x(), at.y());
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool click = event->button() == Qt::LeftButton && left_pressed_ && rect().contains(at);
    if (event->button() == Qt::LeftButton) left_pressed_ = false;
    if (click) emit clicked();
    emit mouse_up(event->button(), event->modifiers(), at.x(), at.y());
}

void PictureControl::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit double_clicked();
    emit mouse_down(event->button(), event->modifiers(), at.x(), at.y());
}

}  // namespace kvtu::ui
