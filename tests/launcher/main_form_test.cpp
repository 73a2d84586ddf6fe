#include <QCursor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <climits>

#include "../core/hive_test_files.h"
#include "launcher_fixture.h"
#include "platform/net/connection_state.h"
#include "standin_record.h"
#include "test_environment.h"

namespace kvtu::launcher::test {
namespace {

using kvtu::test::await_standin_record;
using kvtu::test::install_dir;
using kvtu::test::place_standin;
using kvtu::test::record_standin_to;
using kvtu::test::sandbox;

TEST_F(LauncherTest, WindowsAreCentredWhenFirstShownAndKeepTheirPlaceAfterwards) {
    ui::TrayIcon::assume_notification_area(true);
    start();
    const QRect area = main_form->screen()->availableGeometry();
    EXPECT_EQ(main_form->frameGeometry().center(), area.center());

    // Dragged elsewhere, hidden to the icon and shown again, it stays where it was dragged.
    mouse(*main_form, QEvent::MouseButtonPress, Qt::LeftButton, bare_background());
    mouse(*main_form, QEvent::MouseMove, Qt::LeftButton, bare_background() + QPoint(10, 20));
    // The window followed the pointer, which is over the grabbed point again.
    mouse(*main_form, QEvent::MouseButtonRelease, Qt::LeftButton, bare_background());
    const QPoint dragged = main_form->pos();
    EXPECT_EQ(main_form->frameGeometry().center(), area.center() + QPoint(10, 20));
    click(picture("img_minimize"));
    main_form->tray_icon().deliver(ui::TrayIcon::left_button_down);
    EXPECT_EQ(main_form->pos(), dragged);

    click(picture("img_setup"));
    EXPECT_EQ(form_setup->frameGeometry().center(), area.center());
}

TEST_F(LauncherTest, MainWindowHasItsDesignedShapeAndComponents) {
    start();
    EXPECT_EQ(main_form->size(), QSize(372, 273));
    // The taskbar entry reads the application title.
    EXPECT_EQ(main_form->windowTitle(), "KVT:U Vavaver v1.0.6");
    EXPECT_TRUE(main_form->windowFlags().testFlag(Qt::FramelessWindowHint));

    struct Expected {
        const char* name;
        QRect bounds;
        bool hand;
    };
    for (const Expected& expected : {
             Expected{"img_background", {0, 0, 385, 281}, false},
             Expected{"img_setup", {320, 0, 14, 13}, true},
             Expected{"img_minimize", {336, 0, 14, 13}, true},
             Expected{"img_close", {351, 0, 14, 13}, true},
             Expected{"img_serverdetails", {275, 215, 81, 17}, true},
             Expected{"img_launch", {7, 251, 82, 16}, true},
             Expected{"img_join", {292, 199, 64, 16}, true},
             Expected{"img_query", {318, 241, 38, 17}, true},
         }) {
        ui::PictureControl& control = picture(expected.name);
        EXPECT_EQ(control.geometry(), expected.bounds) << expected.name;
        EXPECT_EQ(control.cursor().shape() == Qt::PointingHandCursor, expected.hand)
            << expected.name;
    }
    EXPECT_EQ(picture("img_query").toolTip(), "Query Gameserver");
    EXPECT_TRUE(picture("img_query").hasScaledContents());
    // Lowest in the stacking order, under every other control.
    EXPECT_EQ(main_form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).first()->objectName(),
              "img_background");

    const auto label = [](const char* name) { return main_form->findChild<QLabel*>(name); };
    EXPECT_EQ(label("label_beta196")->text(), "1.96b");
    EXPECT_EQ(label("label_beta196")->pos(), QPoint(8, 233));
    EXPECT_EQ(label("label_help_196b")->text(), "(?)");
    EXPECT_EQ(label("label_help_196b")->pos(), QPoint(46, 233));
    EXPECT_EQ(label("label_tipoftheday_head")->text(), "Tip of the Day:");
    EXPECT_EQ(label("label_tipoftheday_head")->pos(), QPoint(119, 57));
    EXPECT_EQ(label("label_tipoftheday")->text(), "comming soon ;)");
    EXPECT_EQ(label("label_tipoftheday")->pos(), QPoint(119, 72));

    auto* memo = main_form->findChild<QPlainTextEdit*>("debug_memo");
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->geometry(), QRect(374, 0, 404, 273));
    EXPECT_FALSE(main_form->rect().intersects(memo->geometry()));
}

TEST_F(LauncherTest, PopupMenuHasItsSevenItemsInOrder) {
    start();
    const QList<QAction*> items = main_form->systray_popup().actions();
    ASSERT_EQ(items.size(), 7);
    const char* names[] = {"Exit", "about", "options", "cfgedit", "update", "N1", "launch"};
    const char* captions[] = {"Exit", "About", "Option", "CFG Edit", "Update", "", "Launch KVT:U"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(items[i]->objectName(), names[i]);
        EXPECT_EQ(items[i]->text(), captions[i]);
        EXPECT_EQ(items[i]->isSeparator(), i == 5);
    }
    EXPECT_FALSE(items[0]->icon().isNull());
    EXPECT_FALSE(items[6]->icon().isNull());
    EXPECT_TRUE(items[1]->icon().isNull());
}

TEST_F(LauncherTest, FourWindowsCreatedTheDebugWindowNeverShown) {
    start();
    ASSERT_NE(form_info, nullptr);
    ASSERT_NE(form_setup, nullptr);
    ASSERT_NE(debug, nullptr);
    EXPECT_FALSE(form_info->isVisible());
    EXPECT_FALSE(form_setup->isVisible());
    EXPECT_FALSE(debug->isVisible());
    EXPECT_EQ(debug->windowTitle(), "Debug Window");
    EXPECT_EQ(debug->findChild<QPlainTextEdit*>("debug_memo")->toPlainText(), "debug_memo");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LauncherTest, IconIsAddedWithTheTipOfTheConnectionStateAndRemovedByFormDestroy) {
    start();
    EXPECT_TRUE(main_form->tray_icon().present());
    EXPECT_EQ(main_form->tray_icon().tip(),
              internet_connected() ? "Ich bin im Online mode" : "Ich bin im Offline mode");
    main_form->FormDestroy();
    EXPECT_FALSE(main_form->tray_icon().present());
}

TEST_F(LauncherTest, DragMovesTheWindowByThePointersMovement) {
    start();
    const QPoint origin = main_form->pos();
    ui::PictureControl& background = picture("img_background");
    mouse(background, QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
    mouse(background, QEvent::MouseMove, Qt::LeftButton, {30, 25});
    EXPECT_EQ(main_form->pos(), origin + QPoint(20, 15));
    // The window followed the pointer, so the pointer is back over the grabbed point.
    mouse(background, QEvent::MouseMove, Qt::LeftButton, {10, 10});
    mouse(background, QEvent::MouseMove, Qt::LeftButton, {5, 13});
    EXPECT_EQ(main_form->pos(), origin + QPoint(15, 18));
    mouse(background, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
    EXPECT_EQ(main_form->pos(), origin + QPoint(15, 18));
    EXPECT_FALSE(drag_active);
    mouse(background, QEvent::MouseMove, Qt::NoButton, {40, 40});
    EXPECT_EQ(main_form->pos(), origin + QPoint(15, 18));
}

TEST_F(LauncherTest, RightButtonAndMoveWithoutPressMoveNothing) {
    // With a notification area the right button opens no menu on the background.
    ui::TrayIcon::assume_notification_area(true);
    start();
    const QPoint origin = main_form->pos();
    ui::PictureControl& background = picture("img_background");
    mouse(background, QEvent::MouseMove, Qt::NoButton, {50, 50});
    mouse(background, QEvent::MouseButtonPress, Qt::RightButton, {10, 10});
    mouse(background, QEvent::MouseMove, Qt::RightButton, {30, 25});
    mouse(background, QEvent::MouseButtonRelease, Qt::RightButton, {40, 40});
    EXPECT_EQ(main_form->pos(), origin);
    EXPECT_FALSE(drag_active);
    EXPECT_FALSE(main_form->systray_popup().isVisible());
}

TEST_F(LauncherTest, ReleaseMovesEvenWithoutADragAndPressesOnButtonsDoNotDrag) {
    start();
    const QPoint origin = main_form->pos();
    mouse(picture("img_setup"), QEvent::MouseButtonPress, Qt::LeftButton, {2, 2});
    EXPECT_FALSE(drag_active);
    mouse(picture("img_setup"), QEvent::MouseMove, Qt::LeftButton, {12, 14});
    mouse(picture("img_setup"), QEvent::MouseButtonRelease, Qt::LeftButton, {12, 14});
    EXPECT_EQ(main_form->pos(), origin);
    // The last start point stays; a lone left release still makes the last move. No input
    // gives the picture a release without its press (the pressed control keeps the mouse), so
    // the handler is called itself.
    drag_start_x = 10;
    drag_start_y = 10;
    main_form->DragMouseUp(Qt::LeftButton, Qt::NoModifier, 13, 14);
    EXPECT_EQ(main_form->pos(), origin + QPoint(3, 4));
}

TEST_F(LauncherTest, SecondPressOfADoubleClickStartsADrag) {
    start();
    const QPoint origin = main_form->pos();
    ui::PictureControl& background = picture("img_background");
    mouse(background, QEvent::MouseButtonPress, Qt::LeftButton, {10, 10});
    mouse(background, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
    mouse(background, QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 10});
    EXPECT_TRUE(drag_active);
    mouse(background, QEvent::MouseMove, Qt::LeftButton, {15, 18});
    EXPECT_EQ(main_form->pos(), origin + QPoint(5, 8));
    mouse(background, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 10});
    EXPECT_FALSE(drag_active);
}

TEST_F(LauncherTest, DragOverflowIsReportedAndTheWindowKeepsItsPlace) {
    start();
    const QPoint origin = main_form->pos();
    ui::PictureControl& background = picture("img_background");
    emit background.mouse_down(Qt::LeftButton, Qt::NoModifier, 0, INT_MIN);
    emit background.mouse_move(Qt::NoModifier, 0, 1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::error);
    EXPECT_EQ(boxes[0].title, "KVT:U Vavaver v1.0.6");
    EXPECT_EQ(boxes[0].text, "Arithmetic overflow error.");
    EXPECT_EQ(main_form->pos(), origin);
    EXPECT_TRUE(drag_active);
}

TEST_F(LauncherTest, DragMovesVerticallyFirstSoAHorizontalOverflowKeepsTheVerticalMove) {
    start();
    const QPoint origin = main_form->pos();
    ui::PictureControl& background = picture("img_background");
    emit background.mouse_down(Qt::LeftButton, Qt::NoModifier, INT_MIN, 0);
    emit background.mouse_move(Qt::NoModifier, 1, 5);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Arithmetic overflow error.");
    EXPECT_EQ(main_form->pos(), origin + QPoint(0, 5));
    // The release makes the same two moves and fails alike, so the drag goes on.
    emit background.mouse_up(Qt::LeftButton, Qt::NoModifier, 1, 5);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(main_form->pos(), origin + QPoint(0, 10));
    EXPECT_TRUE(drag_active);
}

TEST_F(LauncherTest, MinimisePictureHidesAndALeftClickOnTheIconShowsAgain) {
    ui::TrayIcon::assume_notification_area(true);
    start();
    click(picture("img_minimize"));
    EXPECT_TRUE(main_form->isHidden());
    EXPECT_FALSE(main_form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    main_form->tray_icon().deliver(ui::TrayIcon::left_button_down);
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_FALSE(main_form->isMinimized());

    click(picture("img_minimize"));
    main_form->tray_icon().deliver(ui::TrayIcon::left_button_double_click);
    EXPECT_TRUE(main_form->isVisible());
    // Other mouse messages do nothing.
    click(picture("img_minimize"));
    main_form->tray_icon().deliver(0x202);
    main_form->tray_icon().deliver(0x206);
    EXPECT_TRUE(main_form->isHidden());
}

TEST_F(LauncherTest, WithoutANotificationAreaTheMinimisePictureMinimisesInstead) {
    start();
    click(picture("img_minimize"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_TRUE(main_form->isMinimized());
    // The program's own minimise is not the minimise command.
    EXPECT_FALSE(main_form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(LauncherTest, MinimiseCommandHidesSetsStayOnTopAndAddsTheIconAgain) {
    ui::TrayIcon::assume_notification_area(true);
    start();
    main_form->tray_icon().remove();
    kvtu::test::minimise_by_window_manager(*main_form);
    QTRY_VERIFY(main_form->isHidden());
    EXPECT_TRUE(main_form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(main_form->tray_icon().present());

    // The re-created window still answers the icon and stays on top from then on.
    main_form->tray_icon().deliver(ui::TrayIcon::left_button_down);
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_FALSE(main_form->isMinimized());
    click(picture("img_minimize"));
    main_form->tray_icon().deliver(ui::TrayIcon::left_button_down);
    EXPECT_TRUE(main_form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(LauncherTest, MinimiseCommandWithoutANotificationAreaLeavesTheWindowMinimised) {
    start();
    kvtu::test::minimise_by_window_manager(*main_form);
    QTRY_VERIFY(main_form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCoreApplication::processEvents();
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_TRUE(main_form->isMinimized());
}

TEST_F(LauncherTest, RightButtonOnTheIconPopsTheMenuAtTheCursor) {
    start();
    QCursor::setPos(120, 90);
    main_form->tray_icon().deliver(ui::TrayIcon::right_button_down);
    EXPECT_TRUE(main_form->systray_popup().isVisible());
    EXPECT_EQ(main_form->systray_popup().pos(), QPoint(120, 90));
}

// The desktop's stand-in for the icon's menu: where no notification area can take the icon,
// a right click on the background picture opens the same menu, whose items work as there.
TEST_F(LauncherTest, WithoutANotificationAreaTheBackgroundOpensTheIconsMenu) {
    start();
    QMenu& menu = main_form->systray_popup();
    kvtu::test::click(*main_form, bare_background(), Qt::RightButton);
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), main_form->mapToGlobal(bare_background()));
    kvtu::test::choose(menu, item("about"));
    EXPECT_FALSE(menu.isVisible());
    EXPECT_TRUE(form_info->isVisible());

    // A right click on a control over the background is that control's.
    kvtu::test::click(picture("img_setup"), {2, 2}, Qt::RightButton);
    EXPECT_FALSE(menu.isVisible());

    // Where the icon can be clicked, its menu is there, and the background opens none.
    ui::TrayIcon::assume_notification_area(true);
    kvtu::test::click(*main_form, bare_background(), Qt::RightButton);
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(LauncherTest, StartMinimizedExactlyYesMinimisesTheApplication) {
    store(settings::start_minimized, "yes");
    create_windows();
    EXPECT_TRUE(ui::Application::instance().minimized());
    EXPECT_TRUE(main_form->tray_icon().present());
    // The loop's start shows the window minimised, already placed where a restore shows it.
    QTimer::singleShot(100, [] { ui::Application::instance().terminate(); });
    ui::Application::instance().run(*main_form);
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_TRUE(main_form->isMinimized());
    EXPECT_EQ(main_form->frameGeometry().center(),
              main_form->screen()->availableGeometry().center());
}

TEST_F(LauncherTest, StartMinimizedOtherTextsStartNormally) {
    store(settings::start_minimized, "Yes");
    create_windows();
    EXPECT_FALSE(ui::Application::instance().minimized());
    EXPECT_TRUE(main_form->tray_icon().present());
}

TEST_F(LauncherTest, ErrorInFormCreateLeavesNoIconAndTheWindowIsNotHiddenAway) {
    kvtu::test::put_hive(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n"
        "\"start_minimized\"=dword:00000001\n\n");
    ui::TrayIcon::assume_notification_area(true);
    start();
    ASSERT_GE(boxes.size(), 1u);  // the setup dialog, created later, reads the value too
    EXPECT_EQ(boxes[0].text, "Invalid data type for 'start_minimized'");
    EXPECT_FALSE(main_form->tray_icon().present());
    click(picture("img_minimize"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_TRUE(main_form->isMinimized());
}

TEST_F(LauncherTest, UnreadableStoreStillAddsTheIcon) {
    kvtu::test::put_hive("this is no hive\n[[[\n");
    start();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, missing_style_file_error);
    EXPECT_TRUE(main_form->tray_icon().present());
}

TEST_F(LauncherTest, StartsTheThreeProgramsFromTheInstallFolderWithoutArguments) {
    store(settings::installdir, install_dir().string());
    const struct {
        const char* program;
        std::function<void()> trigger;
    } starts[] = {
        {"kvtu_dadererizarud", [this] { click(picture("img_serverdetails")); }},
        {"kvtu_cfg_editor", [] { choose("cfgedit"); }},
        {"kvtu_vavaver_update", [] { choose("update"); }},
    };
    start();
    for (const auto& expected : starts) {
        SCOPED_TRACE(expected.program);
        const auto program = place_standin(install_dir() / expected.program);
        const auto record = sandbox() / (std::string(expected.program) + ".record");
        record_standin_to(record);
        expected.trigger();
        const auto seen = await_standin_record(record);
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->arguments, std::vector<std::string>{program.string()});
        EXPECT_EQ(seen->working_folder, std::filesystem::current_path().string());
    }
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LauncherTest, EmptyInstallFolderAsksTheDesktopToOpenThePathAtTheRoot) {
    const auto opener = place_standin(sandbox() / "bin" / "xdg-open");
    const auto record = sandbox() / "opener.record";
    record_standin_to(record);
    setenv("PATH", ((sandbox() / "bin").string() + ":" + getenv("PATH")).c_str(), 1);
    start();
    // Read at the click, not at the start, which needed it for the skin.
    store(settings::installdir, "");
    click(picture("img_serverdetails"));
    const auto seen = await_standin_record(record);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->arguments, (std::vector<std::string>{opener.string(), "/kvtu_dadererizarud"}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LauncherTest, BetaNoteIsAPlainMessageWithTheExactText) {
    start();
    click(picture("label_help_196b"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::plain);
    EXPECT_EQ(boxes[0].title, "KVT:U Vavaver v1.0.6");
    EXPECT_EQ(boxes[0].text,
              "Note: You MUST have installed the 1.96 BETA Patch to run it! \"KORVANTHBETA.EXE\"");
}

TEST_F(LauncherTest, SetupPictureAndOptionItemShowTheSetupDialog) {
    start();
    click(picture("img_setup"));
    EXPECT_TRUE(form_setup->isVisible());
    kvtu::test::close_window(*form_setup);
    EXPECT_FALSE(form_setup->isVisible());
    choose("options");
    EXPECT_TRUE(form_setup->isVisible());
    EXPECT_EQ(form_setup->windowTitle(), "KVT:U Vavaver Setup");
}

TEST_F(LauncherTest, AboutTwiceShowsOneAboutWindow) {
    start();
    choose("about");
    choose("about");
    int visible_about_windows = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && qobject_cast<Tform_info*>(window) != nullptr) {
            ++visible_about_windows;
        }
    }
    EXPECT_EQ(visible_about_windows, 1);
    EXPECT_TRUE(form_info->isVisible());
    // Closing it only hides it, and the program goes on.
    kvtu::test::close_window(*form_info);
    EXPECT_FALSE(form_info->isVisible());
    EXPECT_FALSE(ui::Application::instance().terminated());
}

TEST_F(LauncherTest, ClosePictureEndsTheLoopWithOtherWindowsOpen) {
    create_windows();
    bool clicked = false;
    bool ended_by_click = false;
    QTimer::singleShot(0, [&] {
        choose("about");
        choose("options");
        click(picture("img_close"));
        clicked = true;
        ended_by_click = ui::Application::instance().terminated();
        // A click that failed to end the program must fail the test, not keep the loop going.
        ui::Application::instance().terminate();
    });
    ui::Application::instance().run(*main_form);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(ended_by_click);
    EXPECT_TRUE(form_info->isVisible());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(LauncherTest, ExitItemEndsTheProgram) {
    ui::TrayIcon::assume_notification_area(true);
    create_windows();
    bool chosen = false;
    bool ended_by_item = false;
    QTimer::singleShot(0, [&] {
        click(picture("img_minimize"));
        choose("Exit");
        chosen = true;
        ended_by_item = ui::Application::instance().terminated();
        ui::Application::instance().terminate();  // ends the loop whatever the item did
    });
    ui::Application::instance().run(*main_form);
    EXPECT_TRUE(chosen);
    EXPECT_TRUE(ended_by_item);
}

}  // namespace
}  // namespace kvtu::launcher::test
