#include "platform/ui/application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/core/errors.h"
#include "platform/ui/guarded.h"
#include "platform/ui/message_box.h"
#include "user_input.h"

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

// What a real message box showed, read while it ran; the box is then closed with Enter.
struct ShownBox {
    bool shown = false;
    QString title;
    QString text;
    Qt::TextFormat format = Qt::RichText;
    QRect frame;
    QRect ok_button;
    bool scrolls = false;
    bool closed_by_enter = false;
};

// Shows a box through `show` and reads it from inside its modal loop, with a bounded number of
// tries; a box that Enter does not close is closed, so that the test cannot hang.
ShownBox read_box(const std::function<void()>& show) {
    ShownBox seen;
    std::function<void(int)> when_shown = [&](int tries_left) {
        QTimer::singleShot(10, [&, tries_left] {
            auto* box = qobject_cast<MessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                if (tries_left > 0) when_shown(tries_left - 1);
                return;
            }
            seen.shown = true;
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.format = qobject_cast<QLabel*>(box->text_area().widget())->textFormat();
            seen.frame = box->frameGeometry();
            seen.ok_button =
                QRect(box->ok_button().mapToGlobal(QPoint(0, 0)), box->ok_button().size());
            seen.scrolls = box->text_area().verticalScrollBar()->maximum() > 0;
            kvtu::test::key(*box, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            seen.closed_by_enter = !box->isVisible();
            if (!seen.closed_by_enter) box->reject();
        });
    };
    when_shown(500);
    show();
    return seen;
}

// A real box shows a text as written, whatever it looks like, centred on the screen with its
// final size; a text of any length leaves the box and its button on the screen, the text
// scrolling inside it.
TEST_F(ApplicationTest, RealBoxShowsItsTextAsWrittenCentredAndWithinTheScreen) {
    Application::instance().set_message_recorder(nullptr);
    const QRect free_area = QGuiApplication::primaryScreen()->availableGeometry();

    const ShownBox note =
        read_box([] { Application::instance().show_message("<b>550</b> No such file"); });
    ASSERT_TRUE(note.shown);
    EXPECT_EQ(note.title, "Title v1");
    EXPECT_EQ(note.text, "<b>550</b> No such file");
    EXPECT_EQ(note.format, Qt::PlainText);
    EXPECT_LE((note.frame.center() - free_area.center()).manhattanLength(), 1);
    EXPECT_FALSE(note.scrolls);
    EXPECT_TRUE(note.closed_by_enter);

    std::string reply;
    for (int line = 0; line < 20000; ++line) reply += "550-line " + std::to_string(line) + "\n";
    reply += "550 end";
    const ShownBox error = read_box([&reply] { Application::instance().show_error(reply); });
    ASSERT_TRUE(error.shown);
    EXPECT_EQ(error.text.toStdString(), reply + ".");
    EXPECT_TRUE(free_area.contains(error.frame)) << error.frame.height();
    EXPECT_TRUE(free_area.contains(error.ok_button));
    EXPECT_TRUE(error.scrolls);
    EXPECT_LE((error.frame.center() - free_area.center()).manhattanLength(), 1);
    EXPECT_TRUE(error.closed_by_enter);
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

// A program that ends before its loop runs (a failed start) may still run another loop, a
// message box's or a file dialog's: the end must leave nothing behind that closes it.
TEST_F(ApplicationTest, TerminateOutsideTheLoopLeavesTheNextLoopRunning) {
    Application::instance().terminate();
    QEventLoop next;
    QTimer::singleShot(50, &next, [&next] { next.exit(7); });
    EXPECT_EQ(next.exec(), 7) << "the next loop was ended by the earlier termination";
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
