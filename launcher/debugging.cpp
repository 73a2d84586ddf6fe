#include "launcher/debugging.h"

#include "ui_debugging.h"

namespace kvtu::launcher {

Tdebug* debug = nullptr;

Tdebug::Tdebug(QWidget* parent) : QWidget(parent, Qt::Window), ui_(std::make_unique<Ui::Tdebug>()) {
    ui_->setupUi(this);
}

Tdebug::~Tdebug() = default;

}  // namespace kvtu::launcher
