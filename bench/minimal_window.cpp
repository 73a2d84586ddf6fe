// The least a Qt program does to show what the launcher shows at its start: a frameless window
// of the launcher's size with the skin's background picture and one text label over it.
//
//   kvtu_minimal_window <background picture>
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) return 2;
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(372, 273);
    QLabel background(&window);
    background.setGeometry(0, 0, 385, 281);
    background.setPixmap(QPixmap(QString::fromLocal8Bit(argv[1])));
    QLabel label(QStringLiteral("KVT:U Vavaver"), &window);
    label.setGeometry(119, 57, 200, 16);
    window.show();
    return application.exec();
}
