// The installed launcher as a user meets it: on a desktop with a taskbar and a notification
// area, on one without a notification area, and on one whose notification area comes later.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/core/settings_names.h"
#include "road_fixture.h"
#include "test_environment.h"

namespace kvtu::test {
namespace {

using ::testing::ElementsAre;
using Button = Desktop::Button;
using NotificationArea = Desktop::NotificationArea;

constexpr std::string_view application_title = "KVT:U Vavaver v1.0.6";
constexpr int window_width = 372;
constexpr int window_height = 273;

// Controls at fixed places of the main window, which the skin does not move: the box of the
// "Window?" switch, and a point of the background picture that no control covers.
constexpr Point windowed_box = {94, 85};
constexpr Point bare_background = {200, 12};

// The setup dialog's Options page lies below the dialog's row of tabs, some 24 pixels down;
// these are the middles of its controls there, which a row a few pixels higher or lower does
// not move out of them.
constexpr Point start_minimized_box = {49, 120};
constexpr Point options_ok_button = {214, 195};
constexpr Point options_apply_button = {269, 195};

// The first item of an open popup menu, "Exit", a little inside the menu's corner.
constexpr Point first_menu_item = {30, 10};

class LauncherRoad : public RoadTest {
  protected:
    // The launcher's main window, once the window manager manages it (shown or minimised).
    std::optional<WindowId> await_main_window(pid_t launcher) {
        return await([&]() -> std::optional<WindowId> {
            const auto window = desktop().window_sized(launcher, window_width, window_height);
            if (!window || desktop().view(*window).state == WindowView::State::withdrawn) {
                return std::nullopt;
            }
            return window;
        });
    }

    void click_skin_control(WindowId window, std::string_view section) {
        const Point middle = skin_control(section);
        desktop().click(window, middle.x, middle.y);
    }

    // Clicks the launcher's icon in the notification area.
    ::testing::AssertionResult click_icon(pid_t launcher) {
        const auto icon = desktop().notification_icon(launcher);
        if (!icon) return ::testing::AssertionFailure() << "no icon in the notification area";
        desktop().click_middle(*icon);
        return ::testing::AssertionSuccess();
    }
};

TEST_F(LauncherRoad, FromTheFirstStartThroughSwitchLaunchJoinSetupAndBrowserToClose) {
    Desktop& screen = start_desktop(NotificationArea::shown);
    ASSERT_NO_FATAL_FAILURE(install());
    const fs::path game = place_standin(sandbox() / "game" / "KorvanthUprising.exe");
    const fs::path game_record = sandbox() / "game.record";
    record_standin_to(game_record);
    // The game as the setup dialog's Select stores it.
    store(settings::launcher_key, settings::korvexe, game.string());

    // First start: the skinned window in the middle of the desktop, its taskbar entry under
    // the application's title, its icon in the notification area.
    ChildProcess& launcher = start(launcher_program());
    const pid_t process = launcher.pid();
    const auto main_window = await_main_window(process);
    ASSERT_TRUE(main_window) << "no launcher window of " << window_width << " x " << window_height;
    ASSERT_TRUE(shown(*main_window));
    EXPECT_TRUE(centred(*main_window));
    EXPECT_EQ(screen.view(*main_window).taskbar_text, application_title);
    ASSERT_TRUE(await([&] { return screen.notification_icon(process); }))
        << "no icon in the notification area";
    EXPECT_EQ(stored(settings::nosplash), "no");

    // A second copy ends at once by itself, and the first one runs on as it was.
    ChildProcess& second = start(launcher_program());
    EXPECT_EQ(exit_code(second.wait_for_exit(wait_limit)), 0)
        << "the second copy did not end at once with exit code 0";
    EXPECT_TRUE(launcher.running());
    EXPECT_TRUE(screen.view(*main_window).viewable);

    // The minimise picture hides the window and its taskbar entry; the icon brings both back.
    click_skin_control(*main_window, "minimize_button");
    EXPECT_TRUE(hidden(*main_window));
    ASSERT_TRUE(click_icon(process));
    ASSERT_TRUE(shown(*main_window));

    // A switch writes the store at once.
    screen.click(*main_window, windowed_box.x, windowed_box.y);
    EXPECT_TRUE(wait_until([] { return stored(settings::windowed) == "yes"; }))
        << "the switch \"Window?\" was not stored";

    // Launch starts the game with the stored switches in its folder and hides the window.
    click_skin_control(*main_window, "launch_button");
    auto started = await_record(game_record);
    ASSERT_TRUE(started) << "the launch started no game";
    EXPECT_EQ(started->working_folder, fs::canonical(game.parent_path()).string());
    EXPECT_THAT(started->arguments, ElementsAre(game.string(), "-window", "-mod="));
    EXPECT_TRUE(hidden(*main_window));
    fs::remove(game_record);
    ASSERT_TRUE(click_icon(process));
    ASSERT_TRUE(shown(*main_window));

    // Join adds the typed server address.
    const Point address_field = skin_control("input_ip");
    screen.click(*main_window, address_field.x, address_field.y);
    ASSERT_TRUE(focused(*main_window));
    screen.type("127.0.0.1");
    click_skin_control(*main_window, "join_button");
    started = await_record(game_record);
    ASSERT_TRUE(started) << "the join started no game";
    EXPECT_EQ(started->working_folder, fs::canonical(game.parent_path()).string());
    EXPECT_THAT(started->arguments,
                ElementsAre(game.string(), "-window", "-mod=", "-connect=127.0.0.1"));
    EXPECT_TRUE(hidden(*main_window));
    ASSERT_TRUE(click_icon(process));
    ASSERT_TRUE(shown(*main_window));

    // The setup dialog's Apply stores its page; its OK only hides it.
    click_skin_control(*main_window, "setup_button");
    const auto setup = await([&] { return screen.window_titled(process, "KVT:U Vavaver Setup"); });
    ASSERT_TRUE(setup) << "the setup picture opened no setup dialog";
    ASSERT_TRUE(shown(*setup));
    ASSERT_TRUE(wait_until([&] { return centred(*setup); })) << "the setup dialog is not centred";
    screen.click(*setup, start_minimized_box.x, start_minimized_box.y);
    screen.click(*setup, options_apply_button.x, options_apply_button.y);
    EXPECT_TRUE(wait_until([] { return stored(settings::start_minimized) == "yes"; }))
        << "Apply did not store \"Start minimized\"";
    EXPECT_EQ(stored(settings::autostart), "no");
    screen.click(*setup, options_ok_button.x, options_ok_button.y);
    EXPECT_TRUE(hidden(*setup));

    // The servers picture starts the installed server browser, as a program of its own.
    click_skin_control(*main_window, "server_button");
    const auto browser = await([&] { return screen.window_titled("KVT:U Server Browser"); });
    ASSERT_TRUE(browser) << "the servers picture started no server browser";
    EXPECT_TRUE(shown(*browser));
    EXPECT_NE(screen.process_of(*browser), process);
    ASSERT_TRUE(focused(*browser));
    screen.press({"Alt_L", "F4"});
    EXPECT_TRUE(wait_until([&] { return !screen.view(*browser).exists; }))
        << "the server browser did not close";

    // The close picture ends the launcher, whose icon was there until then.
    EXPECT_TRUE(screen.notification_icon(process));
    click_skin_control(*main_window, "close_button");
    EXPECT_EQ(exit_code(launcher.wait_for_exit(wait_limit)), 0)
        << "the close picture did not end the launcher";
}

TEST_F(LauncherRoad, StartedMinimisedItIsATaskbarEntryAndAnIconUntilTheIconIsClicked) {
    Desktop& screen = start_desktop(NotificationArea::shown);
    ASSERT_NO_FATAL_FAILURE(install());
    store(settings::launcher_key, settings::start_minimized, "yes");

    ChildProcess& launcher = start(launcher_program());
    const pid_t process = launcher.pid();
    const auto main_window = await_main_window(process);
    ASSERT_TRUE(main_window) << "no launcher window of " << window_width << " x " << window_height;
    ASSERT_TRUE(await([&] { return screen.notification_icon(process); }))
        << "no icon in the notification area";
    EXPECT_TRUE(wait_until([&] {
        const WindowView view = screen.view(*main_window);
        return view.state == WindowView::State::iconic && !view.viewable;
    })) << "with start_minimized \"yes\" the launcher did not come up minimised";

    ASSERT_TRUE(click_icon(process));
    ASSERT_TRUE(shown(*main_window));
    EXPECT_TRUE(centred(*main_window));

    click_skin_control(*main_window, "close_button");
    EXPECT_EQ(exit_code(launcher.wait_for_exit(wait_limit)), 0);
}

TEST_F(LauncherRoad, WithoutANotificationAreaTheBackgroundsMenuReachesAboutAndExit) {
    Desktop& screen = start_desktop(NotificationArea::switched_off);
    ASSERT_FALSE(screen.notification_area_present());
    ASSERT_NO_FATAL_FAILURE(install());

    ChildProcess& launcher = start(launcher_program());
    const pid_t process = launcher.pid();
    const auto main_window = await_main_window(process);
    ASSERT_TRUE(main_window) << "no launcher window of " << window_width << " x " << window_height;
    ASSERT_TRUE(shown(*main_window));
    EXPECT_TRUE(centred(*main_window));

    // About: the second item of the menu that a right click on the background opens.
    screen.click(*main_window, bare_background.x, bare_background.y, Button::right);
    auto menu = await([&] { return screen.popup_menu(process); });
    ASSERT_TRUE(menu) << "a right click on the background opened no menu";
    screen.move_pointer(*menu, first_menu_item.x, first_menu_item.y);
    screen.press({"Down"});
    screen.press({"Return"});
    const auto about = await([&] { return screen.window_titled(process, "About & Info"); });
    ASSERT_TRUE(about) << "the menu's second item opened no about window";
    ASSERT_TRUE(shown(*about));
    EXPECT_TRUE(wait_until([&] { return !screen.popup_menu(process); }));
    // Its close box only hides it.
    ASSERT_TRUE(focused(*about));
    screen.press({"Alt_L", "F4"});
    EXPECT_TRUE(hidden(*about));
    EXPECT_TRUE(launcher.running());

    // Exit: the menu's first item ends the program.
    screen.click(*main_window, bare_background.x, bare_background.y, Button::right);
    menu = await([&] { return screen.popup_menu(process); });
    ASSERT_TRUE(menu) << "a second right click on the background opened no menu";
    screen.click(*menu, first_menu_item.x, first_menu_item.y);
    EXPECT_EQ(exit_code(launcher.wait_for_exit(wait_limit)), 0)
        << "the menu's Exit did not end the launcher";
}

TEST_F(LauncherRoad, ANotificationAreaThatComesLaterTakesTheIconAtTheNextMinimise) {
    Desktop& screen = start_desktop(NotificationArea::switched_off);
    ASSERT_NO_FATAL_FAILURE(install());
    ChildProcess& launcher = start(launcher_program());
    const pid_t process = launcher.pid();
    const auto main_window = await_main_window(process);
    ASSERT_TRUE(main_window) << "no launcher window of " << window_width << " x " << window_height;
    ASSERT_TRUE(shown(*main_window));

    // With no notification area the minimise picture leaves the window in the taskbar,
    // minimised, and the taskbar brings it back.
    click_skin_control(*main_window, "minimize_button");
    EXPECT_TRUE(wait_until([&] {
        const WindowView view = screen.view(*main_window);
        return view.state == WindowView::State::iconic && !view.viewable;
    })) << "without a notification area the minimise picture did not minimise to the taskbar";
    const auto entries = screen.taskbar_entries();
    ASSERT_EQ(entries.size(), 1u) << "the launcher is not the taskbar's one entry";
    screen.click_middle(entries.front());
    ASSERT_TRUE(shown(*main_window));

    // A notification area that comes later takes the icon at the next minimise; the first
    // click on the icon shows the window again.
    screen.start_panel_with_notification_area();
    click_skin_control(*main_window, "minimize_button");
    EXPECT_TRUE(hidden(*main_window));
    ASSERT_TRUE(await([&] { return screen.notification_icon(process); }))
        << "the notification area that came later got no icon";
    ASSERT_TRUE(click_icon(process));
    ASSERT_TRUE(shown(*main_window)) << "the first click on the icon did not show the window";

    click_skin_control(*main_window, "close_button");
    EXPECT_EQ(exit_code(launcher.wait_for_exit(wait_limit)), 0);
}

}  // namespace
}  // namespace kvtu::test
