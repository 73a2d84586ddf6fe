#include "platform/ui/emblem.h"

#include <QCoreApplication>

namespace kvtu::ui {

QPixmap emblem(int size) {
    return emblem_icon().pixmap(size, size);
}

QIcon emblem_icon() {
    // One icon for the whole program: its copies share it, so the picture is decoded once for
    // each size shown, not again for every window and icon that shows it.
    static QIcon* shared = nullptr;
    if (shared == nullptr) {
        // Made from the picture itself: an icon made from a file name first looks through the
        // icon engine plugins for one that reads such files, which costs more than the
        // decoding.
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
