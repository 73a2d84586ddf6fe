#pragma once
class QCheckBox;

namespace kvtu::ui {

// Draws a bare two-state box's indicator at the box's own size. The forms place small boxes
// (12 x 12) with no text; Qt's styles draw a larger indicator and would clip its frame and
// its tick at the box's edges.
void fit_indicator_to_box(QCheckBox& box);

}  // namespace kvtu::ui
