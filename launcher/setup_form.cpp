#include "launcher/setup_form.h"

#include "ui_setup_form.h"

namespace kvtu::launcher {

Tform_setup* form_setup = nullptr;

Tform_setup::Tform_setup(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::Tform_setup>()) {
    ui_->setupUi(this);
    setFixedSize(304, 208);
}

Tform_setup::~Tform_setup() = default;

}  // namespace kvtu::launcher
