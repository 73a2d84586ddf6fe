#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/core/errors.h"
#include "platform/ui/guarded.h"

namespace kvtu::ui {
namespace {

class ApplicationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Application::instance().set_title("Title v1");
        Application::instance().set_message_recorder(
            [this](const MessageRecord& record) { boxes.push_back(record); });
    }
    void TearDown() override {
        Application::instance().set_message_recorder(nullptr);
        Application::instance().reset();
    }

    std::vector<MessageRecord> boxes;
};

TEST_F(ApplicationTest, ErrorTextGetsFullStopOnlyAfterCharactersSortingAfterDot) {
    EXPECT_EQ(Application::error_text("Range check error"), "Range check error.");
    EXPECT_EQ(Application::error_text("Socket Error # 111"), "Socket Error # 111.");
    EXPECT_EQ(Application::error_text("done."), "done.");
    EXPECT_EQ(Application::error_text("value '$'"), "value '$'");  // quote sorts before "."
    EXPECT_EQ(Application::error_text("path/"), "path/.");         // "/" sorts after "."
    EXPECT_EQ(Application::error_text("ends-"), "ends-");
    EXPECT_EQ(Application::error_text(""), "");
    EXPECT_EQ(Application::error_text("caf\xe9"), "caf\xe9.");  // bytes above 127 too
}

TEST_F(ApplicationTest, GuardedHandlerShowsTheErrorAndTheProgramGoesOn) {
    bool after_error = false;
    QObject sender;
    QObject::connect(&sender, &QObject::objectNameChanged, &sender,
                     guarded([](const QString& name) {
                         if (name == "fail") throw RangeError(range_check_message());
                     }));
    sender.setObjectName("fail");
    run_guarded([] { throw std::runtime_error("plain failure"); });
    run_guarded([&] { after_error = true; });

    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].kind, MessageKind::error);
    EXPECT_EQ(boxes[0].title, "Title v1");
    EXPECT_EQ(boxes[0].text, "Range check error.");
    EXPECT_EQ(boxes[1].text, "plain failure.");
    EXPECT_TRUE(after_error);
}

TEST_F(ApplicationTest, PlainMessageKeepsItsText) {
    Application::instance().show_message("Note!");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, MessageKind::plain);
    EXPECT_EQ(boxes[0].title, "Title v1");
    EXPECT_EQ(boxes[0].text, "Note!");
}

TEST_F(ApplicationTest, RealBoxShowsAServersTextAsWritten) {
    Application::instance().set_message_recorder(nullptr);
    Qt::TextFormat format = Qt::RichText;
    QString shown;
    // The box runs its own modal loop; it is read and closed from inside that loop, with a
    // bounded number of tries so that the test cannot hang.
    std::function<void(int)> when_shown = [&](int tries_left) {
        QTimer::singleShot(10, [&, tries_left] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                format = box->textFormat();
                shown = box->text();
                box->accept();
            } else if (tries_left > 0) {
                when_shown(tries_left - 1);
            }
        });
    };
    when_shown(500);
    Application::instance().show_message("<b>550</b> No such file");
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, "<b>550</b> No such file");
}

TEST_F(ApplicationTest, TerminateEndsTheLoopAlsoWhenCalledBeforeIt) {
    QWidget window;
    bool shown_in_loop = false;
    QTimer::singleShot(0, [&] {
        shown_in_loop = window.isVisible();
        Application::instance().terminate();
    });
    Application::instance().run(window);  // returns once terminated
    EXPECT_TRUE(Application::instance().terminated());
    EXPECT_TRUE(shown_in_loop);
    QWidget second;
    Application::instance().run(second);  // terminated before: not shown, no loop
    EXPECT_FALSE(second.isVisible());
}

TEST_F(ApplicationTest, MinimiseAppliesToVisibleWindowsAndToTheMainWindowShownLater) {
    QWidget visible;
    visible.show();
    Application::instance().minimize();
    EXPECT_TRUE(Application::instance().minimized());
    EXPECT_TRUE(visible.isMinimized());

    QWidget main_window;
    QTimer::singleShot(0, [] { Application::instance().terminate(); });
    Application::instance().run(main_window);
    EXPECT_TRUE(main_window.isMinimized());

    Application::instance().restore();
    EXPECT_FALSE(Application::instance().minimized());
    EXPECT_FALSE(visible.isMinimized());
    EXPECT_FALSE(main_window.isMinimized());
}

TEST_F(ApplicationTest, ClosingTheLastWindowDoesNotEndTheProgram) {
    Application::instance();
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
}

}  // namespace
}  // namespace kvtu::ui
