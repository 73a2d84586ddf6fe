#include "platform/ui/check_box.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QStyleOptionButton>

namespace kvtu::ui {
namespace {

QRect indicator_of(const QCheckBox& box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    return box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
}

// The pixels of the box as drawn, ticked or clear.
QImage drawn(QCheckBox& box, bool ticked) {
    box.setChecked(ticked);
    return box.grab().toImage();
}

TEST(CheckBoxTest, SmallBareBoxDrawsItsWholeIndicatorAndTick) {
    QCheckBox box;
    box.setGeometry(88, 57, 12, 12);
    fit_indicator_to_box(box);
    const QRect indicator = indicator_of(box);
    EXPECT_TRUE(box.rect().contains(indicator)) << indicator.x() << "," << indicator.y() << " "
                                                << indicator.width() << "x" << indicator.height();
    EXPECT_GE(indicator.width(), 10);

    // The tick shows: ticked and clear differ inside the box.
    EXPECT_NE(drawn(box, true), drawn(box, false));
}

}  // namespace
}  // namespace kvtu::ui
