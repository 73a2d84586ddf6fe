#pragma once
// Input as a person gives it: clicks at positions of a window and keys to the window, which Qt
// routes to the widget under the pointer or to the one with the focus, as for real input.
#include <gtest/gtest.h>

#include <QString>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <optional>

namespace kvtu::test {

// Shows the window and waits, bounded, until it is the active one.
inline void activate(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window, 2000));
}

// A click of the left button at a point of a control (its centre unless told), given to the
// control's window at that place.
inline void click_at(QWidget& control, std::optional<QPoint> at = std::nullopt) {
    QWidget& window = *control.window();
    const QPoint place = control.mapTo(&window, at.value_or(control.rect().center()));
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, place);
}

inline void press_key(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(window.windowHandle(), key, modifiers);
}

// Each character as a key with that text, as a keyboard layout that has the character gives it.
inline void type_text(QWidget& window, const QString& text) {
    for (const QChar character : text) {
        const auto key =
            character.unicode() < 0x100 ? Qt::Key(character.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, window.windowHandle(), key, QString(character),
                            Qt::NoModifier);
    }
}

}  // namespace kvtu::test
