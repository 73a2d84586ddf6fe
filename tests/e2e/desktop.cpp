#include "desktop.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace kvtu::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* screen_size = "1024x768x24";
// Longer and wider than the double-click time and distance of the programs' toolkit (400 ms,
// 5 pixels).
constexpr std::chrono::milliseconds double_click_time{600};
constexpr int double_click_distance = 10;

// The window manager's settings: its taskbar, with or without the notification area; nothing
// that reaches outside the test (clock, monitors, mail); and the focus rules that the tests
// rely on spelt out, whatever the system's defaults say.
constexpr const char* fixed_preferences = R"(ShowTaskBar=1
TaskBarAutoHide=0
TaskBarAtTop=0
TaskBarShowClock=0
TaskBarShowCPUStatus=0
TaskBarShowMEMStatus=0
TaskBarShowNetStatus=0
TaskBarShowMailboxStatus=0
TaskBarShowAPMStatus=0
TaskBarShowWorkspaces=0
TaskBarShowStartMenu=0
ClickToFocus=1
FocusOnMap=1
FocusOnClickClient=1
PassFirstClickToClient=1
KeyWinClose="Alt+F4"
)";

std::string preferences(Desktop::NotificationArea notification_area) {
    const bool shown = notification_area == Desktop::NotificationArea::shown;
    return std::string(fixed_preferences) + "TaskBarEnableSystemTray=" + (shown ? "1" : "0") + "\n";
}

int ignore_errors(Display*, XErrorEvent*) {
    // Windows come and go while the test looks at them; a request about a window that has
    // just gone fails, and the test simply looks again.
    return 0;
}

std::string first_line(int handle, std::chrono::milliseconds limit) {
    std::string line;
    const auto deadline = Clock::now() + limit;
    while (line.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd waiting{handle, POLLIN, 0};
        if (left.count() <= 0 || poll(&waiting, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[32];
        const ssize_t count = read(handle, buffer, sizeof buffer);
        if (count <= 0) break;
        line.append(buffer, static_cast<std::size_t>(count));
    }
    return line.substr(0, line.find('\n'));
}

struct Property {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    std::vector<unsigned char> bytes;

    // Format-32 items, which Xlib hands over as longs.
    long number(std::size_t index) const {
        if (format != 32 || index >= items) return -1;
        long value;
        std::memcpy(&value, bytes.data() + index * sizeof(long), sizeof value);
        return value;
    }
    std::string text() const {
        return format == 8 ? std::string(bytes.begin(), bytes.end()) : std::string();
    }
};

std::optional<Property> read_property(Display* display, Window window, Atom name) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, name, 0, 1L << 16, False, AnyPropertyType, &type,
                           &format, &items, &after, &data) != Success ||
        type == None) {
        if (data != nullptr) XFree(data);
        return std::nullopt;
    }
    Property property{type, format, items, {}};
    const std::size_t unit = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
    if (data != nullptr) {
        property.bytes.assign(data, data + items * unit);
        XFree(data);
    }
    return property;
}

}  // namespace

struct Desktop::Connection {
    Display* display = nullptr;

    ~Connection() {
        if (display != nullptr) XCloseDisplay(display);
    }

    Atom atom(const char* name) const { return XInternAtom(display, name, False); }
    Window root() const { return DefaultRootWindow(display); }

    std::string text(Window window, const char* utf8_name, Atom fallback) const {
        if (const auto value = read_property(display, window, atom(utf8_name))) {
            return value->text();
        }
        if (const auto value = read_property(display, window, fallback)) return value->text();
        return {};
    }

    long number(Window window, const char* name, std::size_t index = 0) const {
        const auto value = read_property(display, window, atom(name));
        return value ? value->number(index) : -1;
    }

    struct Tree {
        Window parent = None;
        std::vector<Window> children;  // bottom to top
    };

    // The window's place in the tree; nothing when it has gone.
    std::optional<Tree> tree(Window window) const {
        Window root_window = None;
        Tree tree;
        Window* children = nullptr;
        unsigned int count = 0;
        if (XQueryTree(display, window, &root_window, &tree.parent, &children, &count) == 0) {
            return std::nullopt;
        }
        tree.children.assign(children, children + count);
        if (children != nullptr) XFree(children);
        return tree;
    }

    Window parent_of(Window window) const {
        const auto place = tree(window);
        return place ? place->parent : None;
    }

    // Every window below the root, top-level ones before the windows inside them.
    std::vector<Window> all_windows() const {
        std::vector<Window> windows;
        std::vector<Window> waiting{root()};
        while (!waiting.empty()) {
            const auto place = tree(waiting.back());
            waiting.pop_back();
            if (!place) continue;
            windows.insert(windows.end(), place->children.begin(), place->children.end());
            waiting.insert(waiting.end(), place->children.begin(), place->children.end());
        }
        return windows;
    }

    bool lies_in(Window window, Window outer) const {
        for (Window current = window; current != None; current = parent_of(current)) {
            if (current == outer) return true;
            if (current == root()) return false;
        }
        return false;
    }

    bool managed(Window window) const { return number(window, "WM_STATE") >= 0; }

    // Whether the window is docked in another program's window that the window manager
    // manages, as an icon in a panel's notification area is.
    bool docked(Window window) const {
        for (Window outer = parent_of(window); outer != None && outer != root();
             outer = parent_of(outer)) {
            if (managed(outer)) return process_of(outer) != process_of(window);
        }
        return false;
    }

    Window notification_area() const {
        return XGetSelectionOwner(display, atom("_NET_SYSTEM_TRAY_S0"));
    }

    bool override_redirect(Window window) const {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display, window, &attributes) != 0 &&
               attributes.override_redirect;
    }

    bool viewable(Window window) const {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display, window, &attributes) != 0 &&
               attributes.map_state == IsViewable;
    }

    pid_t process_of(Window window) const {
        return static_cast<pid_t>(number(window, "_NET_WM_PID"));
    }

    // The process's windows that a window manager manages, hidden ones included: neither
    // menus nor tips (which bypass the manager) nor icons docked in the notification area.
    std::vector<Window> managed_windows(pid_t process) const {
        std::vector<Window> found;
        for (const Window window : all_windows()) {
            if (process_of(window) == process && !override_redirect(window) && !docked(window)) {
                found.push_back(window);
            }
        }
        return found;
    }

    void flush() const { XSync(display, False); }

    void key(KeyCode code, bool down) const {
        XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    }

    KeyCode keycode(const std::string& name) const {
        const KeySym symbol = XStringToKeysym(name.c_str());
        if (symbol == NoSymbol) throw std::invalid_argument("no key named " + name);
        const KeyCode code = XKeysymToKeycode(display, symbol);
        if (code == 0) throw std::invalid_argument("no key on the keyboard for " + name);
        return code;
    }
};

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

Desktop::Desktop(const std::filesystem::path& folder, NotificationArea notification_area)
    : folder_(folder), connection_(std::make_unique<Connection>()) {
    std::filesystem::create_directories(folder_ / "icewm");

    // The server picks a free display itself and writes its number into the pipe.
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
    }
    server_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(channel[1]), "-screen", "0",
                                 screen_size, "-nolisten", "tcp", "-noreset"},
        EnvironmentChanges{}, folder_ / "xvfb.log", channel[1]);
    close(channel[1]);
    const std::string number = first_line(channel[0], wait_limit);
    close(channel[0]);
    if (number.empty()) throw std::runtime_error("Xvfb gave no display:\n" + logs());
    display_ = ":" + number;

    XSetErrorHandler(ignore_errors);
    wait_until([this] {
        connection_->display = XOpenDisplay(display_.c_str());
        return connection_->display != nullptr;
    });
    if (connection_->display == nullptr) {
        throw std::runtime_error("cannot connect to " + display_ + ":\n" + logs());
    }
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(connection_->display, &event_base, &error_base, &major, &minor)) {
        throw std::runtime_error("the X server has no XTest extension");
    }
    start_window_manager(notification_area);
}

void Desktop::start_window_manager(NotificationArea notification_area) {
    const std::filesystem::path settings = folder_ / "icewm";
    std::ofstream(settings / "preferences") << preferences(notification_area);
    window_manager_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"icewm"},
        EnvironmentChanges{{"DISPLAY", display_}, {"ICEWM_PRIVCFG", settings.string()}},
        folder_ / "icewm.log");
    const bool ready = wait_until([&] {
        const Connection& x = *connection_;
        const bool managed = x.number(x.root(), "_NET_SUPPORTING_WM_CHECK") > 0;
        const bool taskbar =
            work_area().height > 0 &&
            work_area().height < DisplayHeight(x.display, DefaultScreen(x.display));
        const bool tray =
            notification_area == NotificationArea::switched_off || x.notification_area() != None;
        return managed && taskbar && tray;
    });
    if (!ready) throw std::runtime_error("the window manager did not come up:\n" + logs());
}

void Desktop::start_panel_with_notification_area() {
    // A bare panel of its own at the top edge: it holds only the notification area, and
    // claims no room from the work area.
    panel_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"trayer", "--edge", "top", "--align", "right", "--widthtype",
                                 "request", "--SetDockType", "true", "--SetPartialStrut", "false"},
        EnvironmentChanges{{"DISPLAY", display_}}, folder_ / "trayer.log");
    if (!wait_until([this] { return notification_area_present(); })) {
        throw std::runtime_error("the panel took no notification area:\n" + logs());
    }
}

Desktop::~Desktop() {
    connection_.reset();
    if (panel_) panel_->stop();
    if (window_manager_) window_manager_->stop();
    if (server_) server_->stop();
}

Area Desktop::work_area() {
    const auto area = read_property(connection_->display, connection_->root(),
                                    connection_->atom("_NET_WORKAREA"));
    if (!area || area->items < 4) return {};
    return {static_cast<int>(area->number(0)), static_cast<int>(area->number(1)),
            static_cast<int>(area->number(2)), static_cast<int>(area->number(3))};
}

bool Desktop::notification_area_present() {
    return connection_->notification_area() != None;
}

std::optional<WindowId> Desktop::window_titled(pid_t process, std::string_view title) {
    for (const Window window : connection_->managed_windows(process)) {
        if (view(window).title == title) return window;
    }
    return std::nullopt;
}

std::optional<WindowId> Desktop::window_sized(pid_t process, int width, int height) {
    for (const Window window : connection_->managed_windows(process)) {
        const Area area = view(window).area;
        if (area.width == width && area.height == height) return window;
    }
    return std::nullopt;
}

std::optional<WindowId> Desktop::window_titled(std::string_view title) {
    for (const Window window : connection_->all_windows()) {
        if (!connection_->override_redirect(window) && view(window).title == title) return window;
    }
    return std::nullopt;
}

std::optional<WindowId> Desktop::notification_icon(pid_t process) {
    const Connection& x = *connection_;
    if (x.notification_area() == None) return std::nullopt;
    for (const Window window : x.all_windows()) {
        // The outermost window of the process there: Qt puts helper windows into its own.
        if (x.process_of(window) == process && x.viewable(window) && x.docked(window) &&
            x.process_of(x.parent_of(window)) != process) {
            return window;
        }
    }
    return std::nullopt;
}

std::optional<WindowId> Desktop::popup_menu(pid_t process) {
    const Connection& x = *connection_;
    const Atom tip = x.atom("_NET_WM_WINDOW_TYPE_TOOLTIP");
    for (const Window window : x.all_windows()) {
        // A menu bypasses the window manager and lies on the root, as a tip does.
        if (x.process_of(window) != process || !x.override_redirect(window) ||
            !x.viewable(window) || x.parent_of(window) != x.root()) {
            continue;
        }
        const auto types = read_property(x.display, window, x.atom("_NET_WM_WINDOW_TYPE"));
        bool is_tip = false;
        for (std::size_t i = 0; types && i < types->items; ++i) {
            is_tip = is_tip || static_cast<Atom>(types->number(i)) == tip;
        }
        if (!is_tip) return window;
    }
    return std::nullopt;
}

std::vector<WindowId> Desktop::taskbar_entries() {
    const Connection& x = *connection_;
    std::vector<WindowId> entries;
    for (const Window window : x.all_windows()) {
        // IceWM keeps a button window for each entry in its task pane.
        if (view(window).title != "TaskPane") continue;
        if (const auto pane = x.tree(window)) {
            std::copy_if(pane->children.begin(), pane->children.end(), std::back_inserter(entries),
                         [&](Window button) { return x.viewable(button); });
        }
        break;
    }
    std::sort(entries.begin(), entries.end(),
              [&](WindowId a, WindowId b) { return view(a).area.x < view(b).area.x; });
    return entries;
}

WindowView Desktop::view(WindowId window) {
    const Connection& x = *connection_;
    WindowView view;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(x.display, window, &attributes) == 0) return view;
    view.exists = true;
    view.viewable = attributes.map_state == IsViewable;
    Window child = None;
    XTranslateCoordinates(x.display, window, attributes.root, 0, 0, &view.area.x, &view.area.y,
                          &child);
    view.area.width = attributes.width;
    view.area.height = attributes.height;
    // Left, right, top, bottom; a window without a frame has none (the property is missing).
    long extents[4] = {0, 0, 0, 0};
    for (std::size_t side = 0; side < 4; ++side) {
        extents[side] = std::max(0L, x.number(window, "_NET_FRAME_EXTENTS", side));
    }
    view.frame = {view.area.x - int(extents[0]), view.area.y - int(extents[2]),
                  view.area.width + int(extents[0] + extents[1]),
                  view.area.height + int(extents[2] + extents[3])};
    switch (x.number(window, "WM_STATE")) {
        case NormalState:
            view.state = WindowView::State::normal;
            break;
        case IconicState:
            view.state = WindowView::State::iconic;
            break;
        default:
            view.state = WindowView::State::withdrawn;
            break;
    }
    view.title = x.text(window, "_NET_WM_NAME", XA_WM_NAME);
    const std::string icon_name = x.text(window, "_NET_WM_ICON_NAME", XA_WM_ICON_NAME);
    view.taskbar_text = icon_name.empty() ? view.title : icon_name;
    return view;
}

pid_t Desktop::process_of(WindowId window) {
    return connection_->process_of(window);
}

bool Desktop::has_input_focus(WindowId window) {
    Window focus = None;
    int revert = 0;
    XGetInputFocus(connection_->display, &focus, &revert);
    return focus != None && focus != PointerRoot && connection_->lies_in(focus, window);
}

std::string Desktop::describe() {
    const Connection& x = *connection_;
    std::ostringstream text;
    text << "windows on " << display_ << ":\n";
    for (const Window window : x.all_windows()) {
        const WindowView shown = view(window);
        const pid_t process = x.process_of(window);
        if (process <= 0 || (!shown.viewable && shown.state == WindowView::State::withdrawn)) {
            continue;
        }
        text << "    0x" << std::hex << window << std::dec << " process " << process << " \""
             << shown.title << "\" " << shown.area.width << "x" << shown.area.height << "+"
             << shown.area.x << "+" << shown.area.y << (shown.viewable ? " viewable" : " unmapped")
             << (shown.state == WindowView::State::normal   ? " normal"
                 : shown.state == WindowView::State::iconic ? " iconic"
                                                            : "")
             << (x.override_redirect(window) ? " unmanaged" : "") << "\n";
    }
    return text.str();
}

void Desktop::move_pointer(WindowId window, int x, int y) {
    const Connection& connection = *connection_;
    int screen_x = 0;
    int screen_y = 0;
    Window child = None;
    XTranslateCoordinates(connection.display, window, connection.root(), x, y, &screen_x, &screen_y,
                          &child);
    XTestFakeMotionEvent(connection.display, -1, screen_x, screen_y, CurrentTime);
    connection.flush();
}

void Desktop::click(WindowId window, int x, int y, Button button) {
    const Connection& connection = *connection_;
    Click click{0, 0, button, {}};
    Window child = None;
    XTranslateCoordinates(connection.display, window, connection.root(), x, y, &click.x, &click.y,
                          &child);
    for (const Click& earlier : recent_clicks_) {
        if (earlier.button == button && std::abs(earlier.x - click.x) <= double_click_distance &&
            std::abs(earlier.y - click.y) <= double_click_distance) {
            std::this_thread::sleep_until(earlier.time + double_click_time);
        }
    }
    XTestFakeMotionEvent(connection.display, -1, click.x, click.y, CurrentTime);
    const unsigned int number = static_cast<unsigned int>(button);
    XTestFakeButtonEvent(connection.display, number, True, CurrentTime);
    XTestFakeButtonEvent(connection.display, number, False, CurrentTime);
    connection.flush();
    click.time = Clock::now();
    std::erase_if(recent_clicks_, [&](const Click& earlier) {
        return click.time - earlier.time > double_click_time;
    });
    recent_clicks_.push_back(click);
}

void Desktop::click_middle(WindowId window, Button button) {
    const Area area = view(window).area;
    click(window, area.width / 2, area.height / 2, button);
}

void Desktop::type(std::string_view text) {
    const Connection& x = *connection_;
    const KeyCode shift = x.keycode("Shift_L");
    for (const char character : text) {
        // Printable Latin-1 characters are their own key symbols.
        const KeySym symbol = static_cast<unsigned char>(character);
        const KeyCode code = XKeysymToKeycode(x.display, symbol);
        if (code == 0) throw std::invalid_argument(std::string("no key for ") + character);
        const bool shifted = XkbKeycodeToKeysym(x.display, code, 0, 0) != symbol;
        if (shifted) x.key(shift, true);
        x.key(code, true);
        x.key(code, false);
        if (shifted) x.key(shift, false);
    }
    x.flush();
}

void Desktop::press(std::initializer_list<std::string_view> keys) {
    const Connection& x = *connection_;
    std::vector<KeyCode> codes;
    for (const std::string_view name : keys) codes.push_back(x.keycode(std::string(name)));
    for (const KeyCode code : codes) x.key(code, true);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code) x.key(*code, false);
    x.flush();
}

std::string Desktop::logs() const {
    std::string text;
    if (server_) text += "  Xvfb:\n" + log_tail(server_->log());
    if (window_manager_) text += "  icewm:\n" + log_tail(window_manager_->log());
    if (panel_) text += "  trayer:\n" + log_tail(panel_->log());
    return text;
}

}  // namespace kvtu::test
