#pragma once
// Input as a person gives it. Mouse actions land on the top-level window at a window position
// (the centre of a control, or a point of it), and Qt picks the widget under that point, as it
// does for the window system's events: a control covered by another, hidden or disabled, or a
// handler bound to the wrong control, fails the test. Keys go to the window, and Qt routes them
// to its focused widget (or to an open popup); a test gives focus as a person does, by clicking.
//
// Every action is handed to Qt's window-system interface synchronously and the events it posts
// are handled before the call returns. Fixtures call leave_input() when a test ends.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleOptionComboBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace kvtu::test {

namespace input_detail {

// The buttons that the pointer holds down, as the window system reports them with every event.
inline Qt::MouseButtons& held_buttons() {
    static Qt::MouseButtons held;
    return held;
}

// Where the pointer is: the window it was last over and its point there.
struct Pointer {
    QPointer<QWindow> window;
    QPointF at;
};
inline Pointer& pointer() {
    static Pointer where;
    return where;
}

// The window that receives the input for a control: its top-level window, shown on screen.
inline QWindow* window_of(const QWidget& control) {
    QWidget* top = control.window();
    if (!top->isVisible() || top->isMinimized()) {
        ADD_FAILURE() << "input for " << control.objectName().toStdString()
                      << " while its window is not shown";
        return nullptr;
    }
    return top->windowHandle();
}

inline void send_mouse(const QWidget& control, QPoint at, QEvent::Type type, Qt::MouseButton button,
                       Qt::KeyboardModifiers modifiers, int delay_ms) {
    QWindow* window = window_of(control);
    if (window == nullptr) return;
    const QPoint in_window = control.mapTo(control.window(), at);
    const QPointF global = window->mapToGlobal(QPointF(in_window));
    // The pointer goes there first, as a person's does; the window system's pointer (which Qt
    // reads, and menus compare with) is where the events say.
    if (QCursor::pos() != global.toPoint()) {
        QCursor::setPos(global.toPoint());
        QCoreApplication::processEvents();
    }
    // One clock with QtTest's own helpers, so that Qt sees the times of a person's input: a
    // second press within the double-click time is a double click, and no other is.
    QTest::lastMouseTimestamp += delay_ms;
    if (type == QEvent::MouseButtonPress) held_buttons() |= button;
    if (type == QEvent::MouseButtonRelease) held_buttons() &= ~Qt::MouseButtons(button);
    QTestPrivate::qtestMouseButtons = held_buttons();
    pointer() = {window, QPointF(in_window)};
    qt_handleMouseEvent(window, QPointF(in_window), global, held_buttons(), button, type, modifiers,
                        QTest::lastMouseTimestamp);
    QCoreApplication::processEvents();
}

// Long enough apart that two clicks are never taken for a double click.
inline constexpr int separate_ms = QTest::mouseDoubleClickInterval + 100;
inline constexpr int within_double_click_ms = 20;

}  // namespace input_detail

// The centre of a control, in its own coordinates.
inline QPoint centre_of(const QWidget& control) {
    return control.rect().center();
}

inline void press(const QWidget& control, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    input_detail::send_mouse(control, at, QEvent::MouseButtonPress, button, modifiers,
                             input_detail::separate_ms);
}

inline void release(const QWidget& control, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    input_detail::send_mouse(control, at, QEvent::MouseButtonRelease, button, modifiers, 10);
}

// Moves the pointer to a point of the control, with whatever buttons it holds.
inline void move_pointer(const QWidget& control, QPoint at) {
    input_detail::send_mouse(control, at, QEvent::MouseMove, Qt::NoButton, Qt::NoModifier, 10);
}

inline void click(const QWidget& control, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    press(control, at, button, modifiers);
    release(control, at, button, modifiers);
}

inline void click(const QWidget& control) {
    click(control, centre_of(control));
}

// A left press right after a left click: the second press of a double click. The button stays
// down.
inline void second_press_of_double_click(const QWidget& control, QPoint at) {
    input_detail::send_mouse(control, at, QEvent::MouseButtonPress, Qt::LeftButton, Qt::NoModifier,
                             input_detail::within_double_click_ms);
}

// A key pressed and released while `in_window`'s window has the keyboard.
inline void key(const QWidget& in_window, Qt::Key code,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QWindow* window = input_detail::window_of(in_window);
    if (window == nullptr) return;
    QTest::sendKeyEvent(QTest::Click, window, code, text, modifiers);
}

// Types the text key by key into the window of `in_window`; a line break is the Enter key.
inline void type(const QWidget& in_window, const QString& text) {
    for (const QChar character : text) {
        if (character == QLatin1Char('\n')) {
            key(in_window, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            continue;
        }
        const QChar upper = character.toUpper();
        const Qt::Key code = upper.unicode() < 0x100 ? Qt::Key(upper.unicode()) : Qt::Key_unknown;
        key(in_window, code, Qt::NoModifier, QString(character));
    }
}

// Clicks into a field and replaces all it holds by the text, as a person does: select all,
// then type (an empty text deletes the selection).
inline void type_into(const QWidget& field, const QString& text) {
    click(field);
    key(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        key(field, Qt::Key_Delete);
    } else {
        type(field, text);
    }
}

// Opens a combo box's list with a click on its arrow and clicks the item at `index`.
inline void pick(const QComboBox& combo, int index) {
    QStyleOptionComboBox option;
    option.initFrom(&combo);
    option.editable = combo.isEditable();
    option.subControls = QStyle::SC_All;
    const QRect arrow = combo.style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxArrow, &combo);
    click(combo, arrow.center());
    QAbstractItemView& list = *combo.view();
    if (!list.isVisible()) {
        ADD_FAILURE() << "the list of " << combo.objectName().toStdString() << " did not open";
        return;
    }
    const QPoint item = list.visualRect(combo.model()->index(index, combo.modelColumn())).center();
    move_pointer(*list.viewport(), item);
    click(*list.viewport(), item);
}

// Brings a page of a tab widget to the front by clicking its tab.
inline void show_page(const QTabWidget& pages, int index) {
    if (pages.currentIndex() == index) return;
    const QTabBar& tabs = *pages.tabBar();
    click(tabs, tabs.tabRect(index).center());
}

// Closes a top-level window as its title bar's close box does: the window system asks the
// window to close. Reports whether the window accepted.
inline bool close_window(const QWidget& window) {
    QWindow* handle = input_detail::window_of(window);
    if (handle == nullptr) return false;
    const bool closed = handle->close();
    QCoreApplication::processEvents();
    return closed;
}

// A click that the window system has queued for the window while the program is busy: it is
// handled, as any queued input, the next time the program handles its events.
inline void queue_click(const QWidget& control, QPoint at) {
    QWindow* window = input_detail::window_of(control);
    if (window == nullptr) return;
    const QPointF in_window(control.mapTo(control.window(), at));
    const QPointF global = window->mapToGlobal(in_window);
    QCoreApplication::postEvent(
        window, new QMouseEvent(QEvent::MouseButtonPress, in_window, in_window, global,
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(
        window, new QMouseEvent(QEvent::MouseButtonRelease, in_window, in_window, global,
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

// The window manager minimises the window (its title bar's button, its taskbar entry): the
// window system changes the window's state and reports it to the program.
inline void minimise_by_window_manager(const QWidget& window) {
    window.windowHandle()->setWindowStates(Qt::WindowMinimized);
    QCoreApplication::processEvents();
}

// Ends a test's input as a person leaves the desk: open popups (menus, lists) closed with
// Escape, no button held. The next test starts from there.
inline void leave_input() {
    for (int popups = 0; QApplication::activePopupWidget() != nullptr && popups < 10; ++popups) {
        QTest::sendKeyEvent(QTest::Click, QApplication::activePopupWidget()->windowHandle(),
                            Qt::Key_Escape, QString(), Qt::NoModifier);
    }
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (!input_detail::held_buttons().testFlag(button)) continue;
        input_detail::held_buttons() &= ~Qt::MouseButtons(button);
        QTestPrivate::qtestMouseButtons = input_detail::held_buttons();
        // Released where the pointer is; the widget that holds the mouse gets it.
        const input_detail::Pointer& pointer = input_detail::pointer();
        if (pointer.window != nullptr) {
            qt_handleMouseEvent(pointer.window, pointer.at, pointer.window->mapToGlobal(pointer.at),
                                input_detail::held_buttons(), button, QEvent::MouseButtonRelease,
                                Qt::NoModifier, QTest::lastMouseTimestamp += 10);
        }
    }
    QCoreApplication::processEvents();
}

// Chooses an item of an open popup menu by clicking it.
inline void choose(QMenu& menu, QAction& item) {
    if (!menu.isVisible()) {
        ADD_FAILURE() << "the menu " << menu.objectName().toStdString() << " is not open";
        return;
    }
    click(menu, menu.actionGeometry(&item).center());
}

}  // namespace kvtu::test
