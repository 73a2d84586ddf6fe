#include "window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QWidget>

namespace kvtu::ui {

void center_on_screen(QWidget& window) {
    QScreen* screen =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2,
                area.y() + (area.height() - size.height()) / 2);
}

namespace {

class FirstShowCentering : public QObject {
  public:
    explicit FirstShowCentering(QWidget& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show) {
            window_.removeEventFilter(this);
            center_on_screen(window_);
            deleteLater();
        }
        return false;
    }

  private:
    QWidget& window_;
};

}  // namespace

void center_on_first_show(QWidget& window) {
    window.installEventFilter(new FirstShowCentering(window));
}

}  // namespace kvtu::ui
