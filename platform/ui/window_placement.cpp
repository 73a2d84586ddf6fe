#include "window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMargins>
#include <QObject>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

namespace kvtu::ui {

namespace {

QMargins frame_margins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

class FirstShowCentering : public QObject {
  public:
    explicit FirstShowCentering(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_) return false;
        switch (event->type()) {
            case QEvent::Polish:
                // The first show polishes the window before it creates a minimised window's
                // native window, and before it maps any: the place is taken from the start.
                place();
                break;
            case QEvent::Show:
                if (shown_) break;
                shown_ = true;
                // A move of a window that is about to be mapped minimised would make the
                // window system map it normal; it was placed at its polish.
                if (!window_.isMinimized()) place();
                break;
            case QEvent::Move:
            case QEvent::Resize:
                if (shown_ && !window_.isMinimized() && frame_margins(window_) != margins_) {
                    // The window manager has framed the window: the frame goes to the centre,
                    // once. The user cannot have moved it yet, as that takes the frame.
                    place();
                    window_.removeEventFilter(this);
                    deleteLater();
                }
                break;
            default:
                break;
        }
        return false;
    }

  private:
    void place() {
        center_on_screen(window_);
        margins_ = frame_margins(window_);
    }

    QWidget& window_;
    bool shown_ = false;
    QMargins margins_;
};

}  // namespace

void center_on_screen(QWidget& window) {
    QScreen* screen =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(std::max(area.x(), area.x() + (area.width() - size.width()) / 2),
                std::max(area.y(), area.y() + (area.height() - size.height()) / 2));
}

void center_on_first_show(QWidget& window) {
    window.installEventFilter(new FirstShowCentering(window));
}

void follow_restored_state(QWidget& window) {
    // Qt writes the hint only when it is asked for a state that it does not record already,
    // and a restore by the window manager is recorded without the hint being written.
    // Only the xcb platform's windows are X11 windows (the offscreen platform answers the X11
    // interface too).
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || window.windowHandle() == nullptr || window.isMinimized()) return;
    xcb_connection_t* connection = x11->connection();
    if (connection == nullptr) return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    // WM_HINTS: nine 32-bit fields; the first holds the flags, the third the initial state.
    std::array<std::uint32_t, 9> hints{};
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, hints.size());
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr)) {
        if (reply->format == 32) {
            const auto length = std::min<std::size_t>(
                static_cast<std::size_t>(xcb_get_property_value_length(reply)) / 4, hints.size());
            std::memcpy(hints.data(), xcb_get_property_value(reply), length * 4);
        }
        std::free(reply);
    }
    constexpr std::uint32_t state_hint = 1u << 1;
    constexpr std::uint32_t normal_state = 1;
    hints[0] |= state_hint;
    hints[2] = normal_state;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, hints.size(), hints.data());
    xcb_flush(connection);
}

}  // namespace kvtu::ui
