#pragma once
// Where the programs' windows appear, and their state towards the window system.
class QWidget;

namespace kvtu::ui {

// Centres a top-level window's frame (as far as the window system has told its size) in the
// free area of the screen it is on (the primary screen when it has none). A window larger than
// that area keeps its top left corner inside it.
void center_on_screen(QWidget& window);

// Centres the window when it is shown for the first time; later shows keep where it was moved.
// It is placed before the window system maps it, so that a window shown minimised stays
// minimised, and once more when the window manager has put its frame around it (only then is
// the frame's size known), so that the frame, not the client area, is centred.
void center_on_first_show(QWidget& window);

// After the window manager restored a minimised window (a click on its taskbar entry), the
// native window still carries the minimise it was last asked for: on X11 its initial-state hint
// still says iconic, and the next show (after a hide) would map it minimised. This sets the hint
// to the normal state again; elsewhere it does nothing.
void follow_restored_state(QWidget& window);

}  // namespace kvtu::ui
