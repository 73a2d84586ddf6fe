#pragma once
// The programs' message box: the application title as caption, the text as written (texts
// from outside, such as an FTP server's reply, are never taken as markup), an error symbol or
// none, and one OK button, which has the keyboard. It always fits the screen: a text too large
// for the box scrolls inside it, so that all of it can be read and the button reached. It is
// centred on the screen with its final size, its frame included.
#include <QDialog>

#include "platform/ui/application.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace kvtu::ui {

class MessageBox : public QDialog {
    Q_OBJECT
  public:
    MessageBox(MessageKind kind, const QString& title, const QString& text,
               QWidget* parent = nullptr);

    QString text() const;
    QPushButton& ok_button() const { return *ok_; }
    // The part of the box that shows the text; it scrolls when the text is larger.
    QScrollArea& text_area() const { return *area_; }

  private:
    void fit_to_screen();

    QLabel* text_ = nullptr;
    QScrollArea* area_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace kvtu::ui
