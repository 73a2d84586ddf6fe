#pragma once
// A picture on a form, and a picture button when it carries a click handler: a label that
// reports its mouse presses, moves and releases in its own coordinates, its clicks and its
// double clicks. The cursor and the hint are the widget's cursor and tool tip.
//
// Its JPEG picture is drawn at the picture's own size from the top-left corner, cut off at the
// control's bounds, or stretched to the bounds when scaledContents is set. A control without a
// picture draws as a label (its text, if any).
#include <QImage>
#include <QLabel>

#include "platform/ui/jpeg_picture.h"

namespace kvtu::ui {

class PictureControl : public QLabel {
    Q_OBJECT
  public:
    explicit PictureControl(QWidget* parent = nullptr);

    // Replaces the picture; it is decoded when it is next drawn.
    void set_picture(JpegPicture picture);
    // Loads a JPEG file (JpegPicture::load_file) and, when that succeeds, makes it the picture.
    void load_picture(const std::string& path);
    const JpegPicture& picture() const { return picture_; }
    bool has_picture() const { return has_picture_; }

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
    void paintEvent(QPaintEvent* event) override;

  private:
    bool left_pressed_ = false;
    JpegPicture picture_;
    bool has_picture_ = false;
    // Decoded at the first paint after the picture was set.
    QImage image_;
    bool decoded_ = false;
};

}  // namespace kvtu::ui
