// Paints the suite's emblem -- a dark green disc with a sand rim and a "K" -- and writes it as the
// application icon of both programs:
//   QT_QPA_PLATFORM=offscreen kvtu_paint_icon assets/icons/kvtu.png
// The file in the repository is its output; the programs show it as it is, so that their start
// draws no text for it.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

// Large enough for the desktop menu entries, which install this same file.
constexpr int side = 128;

QImage emblem() {
    const QColor dark_green(0x2e, 0x4a, 0x2a);
    const QColor sand(0xd8, 0xc8, 0x8a);
    QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(dark_green);
    painter.setPen(QPen(sand, side / 16.0 + 0.5));
    painter.drawEllipse(QRectF(0.5, 0.5, side - 1.0, side - 1.0));
    QFont font("DejaVu Sans");
    font.setBold(true);
    font.setPixelSize(side * 5 / 8);
    painter.setFont(font);
    painter.setPen(sand);
    painter.drawText(picture.rect(), Qt::AlignCenter, "K");
    return picture;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <png file>\n", argv[0]);
        return 2;
    }
    if (!emblem().save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
