#include "message_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <algorithm>

#include "platform/ui/window_placement.h"

namespace kvtu::ui {

namespace {

// Room for the window manager's frame around the box, which is not known before it is shown:
// a title bar and borders.
const QSize frame_room(32, 64);

}  // namespace

MessageBox::MessageBox(MessageKind kind, const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(title);
    setModal(true);
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    int text_column = 0;
    if (kind == MessageKind::error) {
        auto* symbol = new QLabel(this);
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        symbol->setPixmap(
            style()->standardIcon(QStyle::SP_MessageBoxCritical, nullptr, this).pixmap(size, size));
        grid->addWidget(symbol, 0, 0, Qt::AlignTop);
        text_column = 1;
    }

    text_ = new QLabel;
    text_->setTextFormat(Qt::PlainText);
    text_->setText(text);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    text_->setTextInteractionFlags(Qt::TextInteractionFlags(
        style()->styleHint(QStyle::SH_MessageBox_TextInteractionFlags, nullptr, this)));
    area_ = new QScrollArea(this);
    area_->setFrameShape(QFrame::NoFrame);
    area_->setWidgetResizable(true);
    area_->setWidget(text_);
    area_->viewport()->setAutoFillBackground(false);
    text_->setAutoFillBackground(false);
    grid->addWidget(area_, 0, text_column);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(
        style()->styleHint(QStyle::SH_MessageBox_CenterButtons, nullptr, this) != 0);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, 1, 0, 1, text_column + 1);

    fit_to_screen();
    ok_->setFocus();
    center_on_first_show(*this);
}

QString MessageBox::text() const {
    return text_->text();
}

void MessageBox::fit_to_screen() {
    QScreen* screen = this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    const QRect free_area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 640, 480);

    // As message boxes do: one line up to a soft limit, wrapped at that width beyond it.
    const int soft_limit = std::min(free_area.width() / 2, 500);
    text_->setWordWrap(false);
    QSize text_size = text_->sizeHint();
    if (text_size.width() > soft_limit) {
        text_->setWordWrap(true);
        const int width = std::max(soft_limit, text_->minimumSizeHint().width());
        text_size = QSize(width, text_->heightForWidth(width));
    }

    // What the box needs around the text, and so the most the text may take of the screen.
    area_->setFixedSize(text_size);
    layout()->activate();
    const QSize around = layout()->totalSizeHint() - text_size;
    const QSize room = free_area.size() - frame_room - around;
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area_);
    bool vertical = text_size.height() > room.height();
    const bool horizontal = text_size.width() + (vertical ? bar : 0) > room.width();
    if (horizontal) vertical = text_size.height() + bar > room.height();
    QSize shown(text_size.width() + (vertical ? bar : 0),
                text_size.height() + (horizontal ? bar : 0));
    shown = shown.boundedTo(room);

    // Wide enough for the caption, as message boxes are.
    const QFontMetrics caption(QApplication::font("QMdiSubWindowTitleBar"));
    const int caption_width =
        std::min(caption.horizontalAdvance(windowTitle()) + 50, room.width() + around.width());
    shown.setWidth(std::max(shown.width(), caption_width - around.width()));
    area_->setFixedSize(shown);
}

}  // namespace kvtu::ui
