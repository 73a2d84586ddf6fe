#include "platform/ui/emblem.h"

#include <QCoreApplication>

namespace kvtu::ui {

QPixmap emblem(int size) {
    return emblem_icon().pixmap(size, size);
}

QIcon emblem_icon() {
    // One icon for the whole program, shared by its copies: the picture is decoded once, here,
    // not again for every window and icon that shows it; every size asked for is scaled from it.
    static QIcon* shared = nullptr;
    if (shared == nullptr) {
        shared = new QIcon(QPixmap(QStringLiteral(":/kvtu/icons/kvtu.png")));
        // Gone with the application, before the window system that its pixmaps belong to.
        qAddPostRoutine([] {
            delete shared;
            shared = nullptr;
        });
    }
    return *shared;
}

}  // namespace kvtu::ui
