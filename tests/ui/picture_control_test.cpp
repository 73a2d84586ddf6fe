#include "platform/ui/picture_control.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "user_input.h"

namespace kvtu::ui {
namespace {

struct Recorded {
    std::vector<std::string> events;
};

void record_all(PictureControl& picture, Recorded& record) {
    QObject::connect(&picture, &PictureControl::clicked, [&] { record.events.push_back("click"); });
    QObject::connect(&picture, &PictureControl::double_clicked,
                     [&] { record.events.push_back("double"); });
    QObject::connect(&picture, &PictureControl::mouse_down,
                     [&](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                         record.events.push_back("down " + std::to_string(button) + " " +
                                                 std::to_string(x) + "," + std::to_string(y));
                     });
    QObject::connect(&picture, &PictureControl::mouse_up,
                     [&](Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
                         record.events.push_back("up " + std::to_string(button) + " " +
                                                 std::to_string(x) + "," + std::to_string(y));
                     });
    QObject::connect(
        &picture, &PictureControl::mouse_move, [&](Qt::KeyboardModifiers, int x, int y) {
            record.events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
        });
}

class PictureControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        picture.resize(40, 20);
        picture.show();
        record_all(picture, record);
    }
    void TearDown() override { kvtu::test::leave_input(); }
    PictureControl picture;
    Recorded record;
};

TEST_F(PictureControlTest, LeftPressAndReleaseInsideIsAClickBeforeTheRelease) {
    kvtu::test::press(picture, {5, 6});
    kvtu::test::release(picture, {7, 8});
    // The pointer moved between the press and the release.
    EXPECT_EQ(record.events,
              (std::vector<std::string>{"down 1 5,6", "move 7,8", "click", "up 1 7,8"}));
}

TEST_F(PictureControlTest, RightButtonOrReleaseOutsideIsNoClick) {
    kvtu::test::click(picture, {5, 6}, Qt::RightButton);
    // The pressed picture keeps the mouse: the release outside is reported to it.
    kvtu::test::press(picture, {5, 6});
    kvtu::test::release(picture, {60, 6});
    EXPECT_EQ(record.events,
              (std::vector<std::string>{"down 2 5,6", "up 2 5,6", "down 1 5,6", "up 1 60,6"}));
}

TEST_F(PictureControlTest, SecondPressOfADoubleClickIsDoubleClickThenPressAndNoSecondClick) {
    kvtu::test::click(picture, {3, 4});
    kvtu::test::second_press_of_double_click(picture, {3, 4});
    kvtu::test::release(picture, {3, 4});
    EXPECT_EQ(record.events, (std::vector<std::string>{"down 1 3,4", "click", "up 1 3,4", "double",
                                                       "down 1 3,4", "up 1 3,4"}));
}

}  // namespace
}  // namespace kvtu::ui
