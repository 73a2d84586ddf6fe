#include "check_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QProxyStyle>
#include <algorithm>

namespace kvtu::ui {

namespace {

// The application's style, but a box's indicator as large as the box allows and no room
// between indicator and text. One instance serves every fitted box: a style sheet per box
// would give each a style of its own to parse and set up.
class FittedIndicatorStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (const auto* box = qobject_cast<const QCheckBox*>(widget)) {
            if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) {
                return std::min(box->width(), box->height());
            }
            if (metric == PM_CheckBoxLabelSpacing) return 0;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

void fit_indicator_to_box(QCheckBox& box) {
    // Made with the application's style and ended with the application.
    static QPointer<FittedIndicatorStyle> shared;
    if (shared.isNull()) {
        shared = new FittedIndicatorStyle;
        shared->setParent(qApp);
    }
    box.setStyle(shared);
}

}  // namespace kvtu::ui
