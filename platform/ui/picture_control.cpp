#include "picture_control.h"

#include <QMouseEvent>

namespace kvtu::ui {

PictureControl::PictureControl(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
