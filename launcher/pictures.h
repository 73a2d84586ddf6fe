#pragma once
// The launcher's own drawn pictures: the application icon (window and notification area), the
// two images of the notification-area menu, and the about window's picture.
#include <QIcon>
#include <QPixmap>

namespace kvtu::launcher {

QIcon application_icon();
QPixmap exit_image();     // 16 x 16, beside "Exit"
QPixmap launch_image();   // 16 x 16, beside "Launch KVT:U"
QPixmap about_picture();  // 230 x 113

}  // namespace kvtu::launcher
