// The application icon is the picture shipped with the assets, built into the programs: a
// resource that failed to link in would leave both programs without an icon, silently.
#include "platform/ui/emblem.h"

#include <gtest/gtest.h>

#include <QImage>

#include "test_environment.h"

namespace {

TEST(Emblem, IsTheShippedPictureAtItsOwnSizeAndScaledForSmallerOnes) {
    const QIcon icon = kvtu::ui::emblem_icon();
    ASSERT_FALSE(icon.isNull());
    const QImage shipped(
        QString::fromStdString((kvtu::test::source_dir() / "assets/icons/kvtu.png").string()));
    ASSERT_FALSE(shipped.isNull());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{shipped.size()});
    EXPECT_EQ(icon.pixmap(shipped.size()).toImage().convertToFormat(QImage::Format_ARGB32),
              shipped.convertToFormat(QImage::Format_ARGB32));

    for (const int size : {16, 32, 40}) {
        const QImage scaled = kvtu::ui::emblem(size).toImage();
        EXPECT_EQ(scaled.size(), QSize(size, size)) << size;
        // The disc fills the middle; the corners stay transparent.
        EXPECT_EQ(qAlpha(scaled.pixel(size / 2, size / 2)), 255) << size;
        EXPECT_EQ(qAlpha(scaled.pixel(0, 0)), 0) << size;
    }
}

}  // namespace
