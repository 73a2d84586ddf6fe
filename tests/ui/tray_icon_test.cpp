#include "platform/ui/tray_icon.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace kvtu::ui {
namespace {

TEST(TrayIconTest, AddWhilePresentDoesNothingAndAddAfterRemoveBringsItBack) {
    TrayIcon icon;
    EXPECT_FALSE(icon.present());
    EXPECT_FALSE(icon.remove());
    EXPECT_TRUE(icon.add());
    EXPECT_FALSE(icon.add());
    EXPECT_TRUE(icon.present());
    EXPECT_TRUE(icon.remove());
    EXPECT_FALSE(icon.present());
    EXPECT_TRUE(icon.add());
    EXPECT_TRUE(icon.present());
}

TEST(TrayIconTest, TipIsCutToItsCapacity) {
    TrayIcon icon;
    icon.set_tip("Ich bin im Online mode");
    EXPECT_EQ(icon.tip(), "Ich bin im Online mode");
    icon.set_tip(std::string(80, 'x'));
    EXPECT_EQ(icon.tip(), std::string(63, 'x'));
}

TEST(TrayIconTest, ShownOnlyWhenPresentAndANotificationAreaExists) {
    TrayIcon icon;
    icon.add();
    // The offscreen platform has no notification area.
    EXPECT_FALSE(TrayIcon::notification_area_available());
    EXPECT_FALSE(icon.show_in_notification_area());
    TrayIcon::assume_notification_area(true);
    EXPECT_TRUE(icon.show_in_notification_area());
    icon.remove();
    EXPECT_FALSE(icon.show_in_notification_area());
    TrayIcon::assume_notification_area(false);
}

TEST(TrayIconTest, DeliveredMouseMessagesReachTheCallback) {
    TrayIcon icon;
    QSignalSpy callback(&icon, &TrayIcon::callback);
    icon.deliver(TrayIcon::left_button_down);
    icon.deliver(TrayIcon::right_button_down);
    ASSERT_EQ(callback.size(), 2);
    EXPECT_EQ(callback[0][0].toInt(), 0x201);
    EXPECT_EQ(callback[1][0].toInt(), 0x204);
}

}  // namespace
}  // namespace kvtu::ui
