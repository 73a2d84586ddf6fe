#pragma once
// A desktop of the test's own: an Xvfb server on a free display with IceWM as its window
// manager, which brings a taskbar and, unless it is switched off, a notification area (or a
// panel brings one later). The test looks at it only from outside, as the X server shows it
// (windows, their state, place, size and title), and drives it with real input through the
// XTest extension, as a person at keyboard and mouse does.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "child_process.h"

namespace kvtu::test {

// An X window. Xlib's header stays out of the tests: its macros clash with ordinary names.
using WindowId = unsigned long;

struct Area {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// What the desktop shows of one window.
struct WindowView {
    enum class State { withdrawn, normal, iconic };

    bool exists = false;
    bool viewable = false;  // mapped, and so are the windows it lies in
    // As the window manager records it (WM_STATE): withdrawn when it does not manage the
    // window, as for a hidden one.
    State state = State::withdrawn;
    Area area;                 // the window's own area, in screen coordinates
    Area frame;                // the area with the window manager's frame around it
    std::string title;         // its caption
    std::string taskbar_text;  // what the taskbar shows: the icon name, else the caption
};

// Every wait of the suite: it ends as soon as its condition holds, so the limit only matters
// for a fault, and is generous for a loaded machine.
inline constexpr std::chrono::milliseconds wait_limit{10000};

// Polls `condition` until it holds or `limit` has passed; reports whether it held.
bool wait_until(const std::function<bool()>& condition,
                std::chrono::milliseconds limit = wait_limit);

class Desktop {
  public:
    enum class NotificationArea { shown, switched_off };
    enum class Button { left = 1, right = 3 };

    // Starts the X server and the window manager, with their settings and logs in `folder`,
    // and waits until the taskbar has its place on the screen and, when it is shown, the
    // notification area has its manager.
    Desktop(const std::filesystem::path& folder, NotificationArea notification_area);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Starts a panel of its own that holds a notification area, as when a desktop's panel
    // comes up after the programs (at log-on, say); waits until it manages the area.
    void start_panel_with_notification_area();

    const std::string& display() const { return display_; }
    // The screen without the taskbar.
    Area work_area();
    // Whether some program manages a notification area, as programs ask before they put an
    // icon there.
    bool notification_area_present();

    // The process's window with this caption or this size, among those a window manager
    // manages (neither menus nor notification icons); also a hidden one.
    std::optional<WindowId> window_titled(pid_t process, std::string_view title);
    std::optional<WindowId> window_sized(pid_t process, int width, int height);
    // A window with this caption, of whatever process.
    std::optional<WindowId> window_titled(std::string_view title);
    // The process's icon, shown in the notification area.
    std::optional<WindowId> notification_icon(pid_t process);
    // The process's open popup menu.
    std::optional<WindowId> popup_menu(pid_t process);
    // The buttons of the taskbar's entries, from left to right (IceWM's task pane).
    std::vector<WindowId> taskbar_entries();

    WindowView view(WindowId window);
    // The process that owns the window, as the window tells; -1 when it does not.
    pid_t process_of(WindowId window);
    bool has_input_focus(WindowId window);
    // Every window shown, with its process, caption, place and state, for a failure message.
    std::string describe();

    // A press and release of the button at a point of the window, given in the window's own
    // coordinates, or at its middle. A click on the spot of a click just before waits until
    // it cannot read as the second half of a double click, as a person's single clicks do.
    void click(WindowId window, int x, int y, Button button = Button::left);
    void click_middle(WindowId window, Button button = Button::left);
    void move_pointer(WindowId window, int x, int y);
    // Types the text key by key, with Shift where the keyboard needs it.
    void type(std::string_view text);
    // Presses the keys in order and releases them in reverse ({"Alt_L", "F4"}); the names are
    // X key names.
    void press(std::initializer_list<std::string_view> keys);

    // The logs of the server and the window manager.
    std::string logs() const;

  private:
    struct Connection;

    void start_window_manager(NotificationArea notification_area);

    std::filesystem::path folder_;
    std::string display_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> window_manager_;
    std::unique_ptr<ChildProcess> panel_;
    std::unique_ptr<Connection> connection_;

    struct Click {
        int x;  // on the screen
        int y;
        Button button;
        std::chrono::steady_clock::time_point time;
    };
    // The clicks of the last moments: a click on the spot of one of them must not read as a
    // double click to the program that had that one, whatever clicks went to others between.
    std::vector<Click> recent_clicks_;
};

}  // namespace kvtu::test
