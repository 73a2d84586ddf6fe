// Paints the pictures of the default skin and writes them as JPEG files into the given folder:
//   QT_QPA_PLATFORM=offscreen kvtu_paint_default_skin assets/styles/default
// The files in the repository are its output; the places it paints match the skin's
// styleconfig.ini, so both change together.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor ground_top(0x1c, 0x21, 0x19);
const QColor ground_bottom(0x11, 0x14, 0x0f);
const QColor panel(0x22, 0x29, 0x1e);
const QColor panel_edge(0x3b, 0x47, 0x33);
const QColor stripe(0x27, 0x2f, 0x22);
const QColor sand(0xd8, 0xc8, 0x8a);
const QColor green_light(0x55, 0x7a, 0x48);
const QColor green_dark(0x2a, 0x44, 0x26);
const QColor olive_light(0x4a, 0x55, 0x3e);
const QColor olive_dark(0x2b, 0x32, 0x24);

QFont font(int pixel_size, bool bold) {
    QFont chosen("DejaVu Sans");
    chosen.setPixelSize(pixel_size);
    chosen.setBold(bold);
    return chosen;
}

void draw_panel(QPainter& painter, QRectF area) {
    painter.setPen(QPen(panel_edge, 1));
    painter.setBrush(panel);
    painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}

QImage background() {
    QImage image(385, 281, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, 281);
    ground.setColorAt(0, ground_top);
    ground.setColorAt(1, ground_bottom);
    painter.fillRect(image.rect(), ground);

    // Title bar with the name, the three small buttons sit at its right end.
    QLinearGradient bar(0, 0, 0, 22);
    bar.setColorAt(0, QColor(0x33, 0x3d, 0x2c));
    bar.setColorAt(1, QColor(0x1f, 0x25, 0x1b));
    painter.fillRect(QRect(0, 0, 385, 22), bar);
    painter.fillRect(QRect(0, 22, 385, 1), sand.darker(160));
    painter.setPen(sand);
    painter.setFont(font(12, true));
    painter.drawText(QRect(9, 0, 200, 22), Qt::AlignVCenter | Qt::AlignLeft, "KVT:U");
    painter.setPen(sand.darker(130));
    painter.setFont(font(11, false));
    painter.drawText(QRect(56, 0, 200, 22), Qt::AlignVCenter | Qt::AlignLeft, "Vavaver");

    // Mod row, switches, tip of the day with the two server buttons, server panel, field row.
    draw_panel(painter, QRectF(4, 27, 364, 27));
    draw_panel(painter, QRectF(4, 55, 108, 194));
    draw_panel(painter, QRectF(116, 55, 252, 43));
    draw_panel(painter, QRectF(116, 101, 252, 133));
    draw_panel(painter, QRectF(116, 238, 252, 28));

    // Row stripes of the server panel, 16 pixels apart, and the line between the two columns.
    painter.setPen(Qt::NoPen);
    painter.setBrush(stripe);
    for (int row = 1; row < 8; row += 2) painter.drawRect(QRect(118, 103 + 16 * row, 248, 16));
    painter.fillRect(QRect(193, 104, 1, 126), panel_edge);
    // Thin separators between the switch rows.
    for (int row = 1; row < 9; ++row) {
        painter.fillRect(QRect(9, 53 + 22 * row, 98, 1), QColor(0x2c, 0x35, 0x27));
    }
    painter.end();
    return image;
}

// A picture button: a rounded face with its word, its corners in the colour of what lies under
// the button.
QImage button(QSize size, const char* word, QColor light, QColor dark, int pixel_size,
              QColor under = panel) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(under);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0, light);
    face.setColorAt(1, dark);
    painter.setPen(QPen(dark.darker(160), 1));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1.0, size.height() - 1.0), 3, 3);
    painter.setPen(sand.lighter(115));
    painter.setFont(font(pixel_size, true));
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, word);
    painter.end();
    return image;
}

// The 14 x 13 buttons of the title bar: a symbol on the bar's colour.
template <class Draw>
QImage title_button(Draw draw) {
    QImage image(14, 13, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, 13);
    face.setColorAt(0, QColor(0x45, 0x52, 0x3b));
    face.setColorAt(1, QColor(0x2a, 0x33, 0x24));
    painter.fillRect(image.rect(), face);
    painter.setPen(QPen(sand, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    painter.end();
    return image;
}

bool save(const QImage& image, const QString& folder, const char* name) {
    const QString path = folder + "/" + name;
    if (image.save(path, "JPG", 95)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <skin folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QImage setup = title_button([](QPainter& painter) {
        for (int y : {4, 7, 10}) painter.drawLine(QPointF(4, y - 0.5), QPointF(10, y - 0.5));
    });
    const QImage minimize = title_button(
        [](QPainter& painter) { painter.drawLine(QPointF(4, 9.5), QPointF(10, 9.5)); });
    const QImage close = title_button([](QPainter& painter) {
        painter.setPen(QPen(QColor(0xe0, 0x8a, 0x6a), 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4.5, 3.5), QPointF(9.5, 8.5));
        painter.drawLine(QPointF(9.5, 3.5), QPointF(4.5, 8.5));
    });
    const bool written =
        save(background(), folder, "background.jpg") && save(setup, folder, "setup.jpg") &&
        save(minimize, folder, "minimize.jpg") && save(close, folder, "close.jpg") &&
        save(button({98, 18}, "LAUNCH", green_light, green_dark, 11, ground_bottom), folder,
             "game_launch.jpg") &&
        save(button({64, 16}, "JOIN", green_light, green_dark, 10), folder, "game_join.jpg") &&
        save(button({81, 17}, "SERVERS", olive_light, olive_dark, 10), folder,
             "server_details.jpg") &&
        save(button({58, 18}, "QUERY", olive_light, olive_dark, 10), folder, "server_query.jpg");
    return written ? 0 : 1;
}
