#pragma once
// The program's icon in the desktop's notification area. It keeps its own state, present or
// not, whether or not the desktop has a notification area (Qt reports none under the offscreen
// platform, a bare X server, or a desktop without a tray), and reports the user's mouse actions
// on it as the mouse messages of the notification area's callback.
#include <QIcon>
#include <QObject>
#include <string>

class QSystemTrayIcon;

namespace kvtu::ui {

class TrayIcon : public QObject {
    Q_OBJECT
  public:
    // The mouse messages that callback() reports.
    static constexpr int left_button_down = 0x201;
    static constexpr int left_button_double_click = 0x203;
    static constexpr int right_button_down = 0x204;
    // The tip holds at most this many characters, the terminating zero included.
    static constexpr std::size_t tip_capacity = 64;

    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    void set_icon(const QIcon& icon);
    // Longer tips are cut to tip_capacity - 1 characters.
    void set_tip(const std::string& tip);
    const std::string& tip() const { return tip_; }

    // Adds the icon, into the notification area when there is one; while it is present this
    // does nothing. Reports whether it was added.
    bool add();
    // Removes the icon; reports whether it was there. After a removal, add() brings it back.
    bool remove();
    bool present() const { return present_; }

    // Whether the desktop shows notification icons, so that a present icon can be clicked.
    static bool notification_area_available();
    // Tests declare a notification area where Qt sees none; nothing else calls this.
    static void assume_notification_area(bool available);
    // Puts the present icon into the notification area if there is one now, also one that
    // appeared after the icon was added (a panel that starts after the program, as at log-on),
    // and reports whether the icon can be seen and clicked there.
    bool show_in_notification_area();

    // Hands a mouse message to callback(), as the notification area does for a user's action.
    void deliver(int mouse_message);

  signals:
    void callback(int mouse_message);

  private:
    void make_system_icon();

    QSystemTrayIcon* system_icon_ = nullptr;
    QIcon icon_;
    std::string tip_;
    bool present_ = false;
};

}  // namespace kvtu::ui
