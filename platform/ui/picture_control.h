#pragma once
// A picture on a form, and a picture button when it carries a click handler: a label that
// reports its mouse presses, moves and releases in its own coordinates, its clicks and its
// double clicks. The cursor and the hint are the widget's cursor and tool tip.
//
// The picture comes from the skin; loading the JPEG files into the control belongs to the skin
// step, which sets the pixmap (scaledContents stretches it to the bounds).
#include <QLabel>

namespace kvtu::ui {

class PictureControl : public QLabel {
    Q_OBJECT
  public:
    explicit PictureControl(QWidget* parent = nullptr);

  signals:
    // A left press and a left release inside the control.
    void clicked();
    void double_clicked();
    // x and y in the control's coordinates. The second press of a double click is reported
    // as the double click and then once more as a press.
    void mouse_down(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void mouse_move(Qt::KeyboardModifiers modifiers, int x, int y);
    void mouse_up(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    bool left_pressed_ = false;
};

}  // namespace kvtu::ui
