#pragma once
// The launcher's main window: borderless, skinned, dragged by its background picture, hidden
// to and restored from its notification-area icon, with the popup menu of that icon.
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/net/icmp_echo.h"
#include "platform/net/udp_client.h"
#include "platform/ui/tray_icon.h"

class QCheckBox;
class QMenu;

namespace Ui {
class Tmain_form;
}

namespace kvtu {
class Registry;
}

namespace kvtu::launcher {

struct SkinControls;

// Drag state of the main window: set by a left press on the background picture, cleared by
// the left release; the start point is in the picture's coordinates.
extern bool drag_active;
extern std::int32_t drag_start_x;
extern std::int32_t drag_start_y;

class Tmain_form : public QWidget {
    Q_OBJECT
  public:
    explicit Tmain_form(QWidget* parent = nullptr);
    ~Tmain_form() override;

    ui::TrayIcon& tray_icon() { return tray_icon_; }
    QMenu& systray_popup() { return *systray_popup_; }

    void FormCreate();
    void FormDestroy();
    // The window's minimise command: stay on top from now on, add the icon again, and hide to
    // the notification area.
    void SysCommandMessage();
    // The notification icon's callback with the mouse message of the user's action.
    void TrayWindowProc(int mouse_message);

    void DragMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
    void DragMouseMove(Qt::KeyboardModifiers shift, int X, int Y);
    void DragMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y);
    void DragDblClick();

    void img_minimizeClick();
    void img_closeClick();
    void img_setupClick();
    void optionsClick();
    void aboutClick();
    void button_adminserverClick();
    void cfgeditClick();
    void updateClick();
    void label_help_196bClick();
    void Exit2Click();

    // Start switches and mod list: every change is written to the store at once.
    void no_splashClick();
    void windowedClick();
    void dxdllClick();
    void brisoltClick();
    void twomonsClick();
    void benchmarkClick();
    void nodmusicClick();
    void nosoundClick();
    void beta196_startClick();
    void startup_modChange();
    void launchClick();
    void button_joingameClick();

    // Server panel: the status query of the entered server, then the ping of its host.
    void img_queryClick();
    void indy_server_latencyReply(const net::EchoReply& AReplyStatus);

    // The panel's network components: one socket for every query of the run, and the echo
    // with its own 5000 ms wait.
    net::UdpClient udp_socket;
    net::IcmpEcho indy_server_latency;

  protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void build_systray_popup();
    void bind_handlers();
    void add_tray_icon();
    // Moves the window by the pointer's offset from the drag start point, vertical first.
    void drag_to(int X, int Y);
    // Hides the window when the notification icon can bring it back; otherwise minimises it,
    // so that it is never left without a way back.
    void hide_to_notification_area();
    void restore_from_notification_area();
    // Brings the window to the front and opens the icon's menu with its top left corner there.
    void pop_up_systray_popup(QPoint at);
    // Where no notification area can take the icon (a desktop without one), its menu is the
    // only way to About, Option, CFG Edit and Update: a right click on the background picture
    // opens it, at the pointer.
    void background_popup(int X, int Y);
    void start_from_installdir(std::string_view program);
    void set_up_switches(Registry& settings_store);
    SkinControls skin_controls();
    void write_switch(std::string_view value_name, const QCheckBox& box);
    // Starts the game from the stored switches, with the join's address when joining.
    void start_game(bool join);

    std::unique_ptr<Ui::Tmain_form> ui_;
    QMenu* systray_popup_ = nullptr;
    ui::TrayIcon tray_icon_;
    // The icon's icon and tip are set once, by FormCreate; until then no add is made.
    bool tray_data_filled_ = false;
    // Set while the program itself minimises the window, which is not the minimise command.
    bool minimizing_in_place_ = false;
};

extern Tmain_form* main_form;

// Shows a window of the launcher: makes it visible and brings it to the front.
void show_window(QWidget& window);

}  // namespace kvtu::launcher
