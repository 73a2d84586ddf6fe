#include "tray_icon.h"

#include <QSystemTrayIcon>

#include "platform/ui/text.h"

namespace kvtu::ui {

namespace {
bool assumed_notification_area = false;
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

void TrayIcon::make_system_icon() {
    if (system_icon_ != nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) return;
    system_icon_ = new QSystemTrayIcon(icon_, this);
    system_icon_->setToolTip(to_qstring(tip_));
    // Qt registers the icon again by itself when the notification area is created anew (a
    // restarted panel), so the icon comes back with the same tip.
    connect(system_icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                    case QSystemTrayIcon::Trigger:
                        deliver(left_button_down);
                        break;
                    case QSystemTrayIcon::DoubleClick:
                        deliver(left_button_double_click);
                        break;
                    case QSystemTrayIcon::Context:
                        deliver(right_button_down);
                        break;
                    default:
                        break;
                }
            });
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::set_icon(const QIcon& icon) {
    icon_ = icon;
    if (system_icon_ != nullptr) system_icon_->setIcon(icon_);
}

void TrayIcon::set_tip(const std::string& tip) {
    tip_ = tip.substr(0, tip_capacity - 1);
    if (system_icon_ != nullptr) system_icon_->setToolTip(to_qstring(tip_));
}

bool TrayIcon::add() {
    if (present_) return false;
    present_ = true;
    // Without a notification area there is nothing to show the icon in; the state is kept.
    show_in_notification_area();
    return true;
}

bool TrayIcon::show_in_notification_area() {
    if (!present_) return false;
    if (assumed_notification_area) return true;
    make_system_icon();
    if (system_icon_ == nullptr) return false;
    system_icon_->show();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool TrayIcon::remove() {
    if (!present_) return false;
    present_ = false;
    if (system_icon_ != nullptr) system_icon_->hide();
    return true;
}

bool TrayIcon::notification_area_available() {
    return assumed_notification_area || QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::assume_notification_area(bool available) {
    assumed_notification_area = available;
}

void TrayIcon::deliver(int mouse_message) {
    emit callback(mouse_message);
}

}  // namespace kvtu::ui
