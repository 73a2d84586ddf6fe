#include "check_box.h"

#include <QCheckBox>
#include <algorithm>

namespace kvtu::ui {

void fit_indicator_to_box(QCheckBox& box) {
    const int side = std::min(box.width(), box.height());
    box.setStyleSheet(QStringLiteral("QCheckBox { spacing: 0px; }"
                                     " QCheckBox::indicator { width: %1px; height: %1px; }")
                          .arg(side));
}

}  // namespace kvtu::ui
