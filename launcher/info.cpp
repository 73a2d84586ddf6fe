#include "launcher/info.h"

#include <QLabel>
#include <algorithm>

#include "launcher/pictures.h"
#include "platform/core/shell.h"
#include "platform/ui/guarded.h"
#include "platform/ui/plain_labels.h"
#include "platform/ui/text.h"
#include "platform/ui/window_placement.h"
#include "ui_info.h"

namespace kvtu::launcher {

Tform_info* form_info = nullptr;

Tform_info::Tform_info(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::Tform_info>()) {
    ui_->setupUi(this);
    ui::center_on_first_show(*this);
    ui::show_labels_as_plain_text(*this);
    setFixedSize(430, 160);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    QFont title_font = ui_->label_title->font();
    title_font.setPixelSize(32);
    ui_->label_title->setFont(title_font);
    connect(ui_->Label5, &ui::PictureControl::clicked, this,
            ui::guarded([this] { Label5Click(); }));
    connect(ui_->Label6, &ui::PictureControl::clicked, this,
            ui::guarded([this] { Label6Click(); }));
}

void Tform_info::showEvent(QShowEvent* event) {
    // The picture is painted and the texts measured when the window is first shown, not at the
    // program's start, which needs neither for its main window.
    if (!prepared_) {
        prepared_ = true;
        ui_->Image1->setPixmap(about_picture());
        // The labels take the room of their texts, as the design's labels size themselves to
        // their captions: a substituted font may be wider or taller than the designed one. The
        // notice keeps its width and takes the height its lines need.
        for (QLabel* label : findChildren<QLabel*>()) {
            if (label->text().isEmpty()) continue;
            if (label->wordWrap()) {
                label->resize(label->width(),
                              std::max(label->height(), label->heightForWidth(label->width())));
            } else {
                label->adjustSize();
            }
        }
    }
    QWidget::showEvent(event);
}

Tform_info::~Tform_info() = default;

void Tform_info::Label5Click() {
    shell_open(ui::to_bytes(ui_->Label5->text()), "", "");
}

void Tform_info::Label6Click() {
    shell_open("mailto:" + ui::to_bytes(ui_->Label6->text()), "", "");
}

}  // namespace kvtu::launcher
