// The installed server browser as a user meets it: its list file, the queries of fake game
// servers on loopback, and the FTP road to the configuration editor.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "../core/hive_test_files.h"
#include "fake_game_server.h"
#include "ftp_server.h"
#include "platform/core/settings_names.h"
#include "road_fixture.h"
#include "status_reply.h"
#include "test_environment.h"

namespace kvtu::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using NotificationArea = Desktop::NotificationArea;

constexpr std::string_view window_title = "KVT:U Server Browser";

// Middles of the window's controls, in the window's own coordinates: the places of its fixed
// layout.
constexpr Point refresh_all_button = {52, 38};
constexpr Point address_box = {230, 37};
constexpr Point connect_button = {301, 323};
constexpr Point config_box = {440, 391};
constexpr Point edit_config_button = {448, 421};
// The second row of the server list: below the list's column heads, each row some 18 pixels
// high.
constexpr Point second_row = {60, 101};

class BrowserRoad : public RoadTest {
  protected:
    static fs::path list_file() { return install_folder() / "dta" / "serverlist.dat"; }

    // Installs the suite and starts the browser on a desktop with the given list file.
    std::optional<WindowId> start_browser(const std::string& list) {
        start_desktop(NotificationArea::shown);
        install();
        if (HasFatalFailure()) return std::nullopt;
        put_file(list_file(), list);
        browser_ = &start(browser_program());
        const auto window =
            await([&] { return desktop().window_titled(browser_->pid(), window_title); });
        if (!window || !shown(*window)) return std::nullopt;
        return window;
    }

    // Closes the window as a user does, with the window manager's key, and waits for the end
    // of the program.
    ::testing::AssertionResult close_browser(WindowId window) {
        if (auto has_keyboard = focused(window); !has_keyboard) return has_keyboard;
        desktop().press({"Alt_L", "F4"});
        const int code = exit_code(browser_->wait_for_exit(wait_limit));
        if (code == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "at its close the browser did not end with exit code 0 but with " << code;
    }

    ChildProcess* browser_ = nullptr;
};

TEST_F(BrowserRoad, AServerTypedWithEnterIsInTheListFileAfterTheClose) {
    const auto window = start_browser("127.0.0.1:2302\r\n");
    ASSERT_TRUE(window) << "the browser showed no window titled \"" << window_title << "\"";

    desktop().click(*window, address_box.x, address_box.y);
    ASSERT_TRUE(focused(*window));
    desktop().type("127.0.0.1:27015");
    desktop().press({"Return"});
    ASSERT_TRUE(close_browser(*window));

    EXPECT_THAT(file_lines(list_file()), ElementsAre("127.0.0.1:2302", "127.0.0.1:27015"));
}

TEST_F(BrowserRoad, SelectingARowQueriesItsServerAndRefreshAllQueriesEveryLineInFileOrder) {
    // Each query ends with a ping of the server's host.
    KVTU_SKIP_WITHOUT_ECHOES();
    std::array<FakeGameServer, 3> servers;
    std::array<std::string, 3> entries;
    for (std::size_t i = 0; i < servers.size(); ++i) {
        servers[i].answer_always(StatusReply().text());
        entries[i] = "127.0.0.1:" + std::to_string(servers[i].port());
    }
    // The rows are sorted by their text; the file holds another order.
    std::array<std::size_t, 3> sorted = {0, 1, 2};
    std::sort(sorted.begin(), sorted.end(),
              [&](std::size_t a, std::size_t b) { return entries[a] < entries[b]; });
    const std::array<std::size_t, 3> file_order = {sorted[2], sorted[0], sorted[1]};
    std::string list;
    for (const std::size_t server : file_order) list += entries[server] + "\r\n";
    const auto window = start_browser(list);
    ASSERT_TRUE(window) << "the browser showed no window titled \"" << window_title << "\"";
    for (const FakeGameServer& server : servers) ASSERT_TRUE(server.requests().empty());

    // A click on the second row queries that row's server, and no other.
    FakeGameServer& selected = servers[sorted[1]];
    desktop().click(*window, second_row.x, second_row.y);
    ASSERT_TRUE(selected.wait_for_requests(1, wait_limit)) << "selecting a row queried nothing";
    EXPECT_EQ(selected.requests(), std::vector<std::string>{"\\status\\"});
    EXPECT_TRUE(servers[sorted[0]].requests().empty());
    EXPECT_TRUE(servers[sorted[2]].requests().empty());

    // Refresh All queries every line of the file, one after the other in the file's order.
    desktop().click(*window, refresh_all_button.x, refresh_all_button.y);
    for (FakeGameServer& server : servers) {
        const std::size_t before = &server == &selected ? 1 : 0;
        ASSERT_TRUE(server.wait_for_requests(before + 1, wait_limit))
            << "Refresh All did not query " << entries[&server - servers.data()];
    }
    std::vector<std::chrono::steady_clock::time_point> refresh_times;
    for (const std::size_t server : file_order)
        refresh_times.push_back(servers[server].request_times().back());
    EXPECT_TRUE(std::is_sorted(refresh_times.begin(), refresh_times.end()))
        << "Refresh All did not query the lines in the order of the file";
    for (const FakeGameServer& server : servers) {
        EXPECT_THAT(server.requests(), ::testing::Each(std::string("\\status\\")));
    }

    ASSERT_TRUE(close_browser(*window));
}

TEST_F(BrowserRoad, ConnectAndEditConfigFetchTheFileAndStartTheEditorOnIt) {
    const fs::path served = sandbox() / "ftp";
    const std::string config = "hostname = \"Loopback Test\"\r\nmaxplayers = 24\r\n";
    put_file(served / "config" / "server.cfg", config);
    put_file(served / "config" / "readme.txt", "not a configuration\n");
    FtpServer ftp;
    ftp.start("admin", "secret", served);
    const std::string ftp_key(settings::ftp_key);
    store(ftp_key, settings::ftp_host, "127.0.0.1");
    store(ftp_key, settings::ftp_port, std::to_string(ftp.port()));
    store(ftp_key, settings::ftp_user, "admin");
    store(ftp_key, settings::ftp_pass, "secret");
    store(ftp_key, settings::ftp_base, "config");
    store(ftp_key, settings::ftp_psvc, "yes");

    // The browser hands its environment on to the editor it starts.
    const fs::path editor_record = sandbox() / "editor.record";
    record_standin_to(editor_record);
    const auto window = start_browser("127.0.0.1:2302\r\n");
    ASSERT_TRUE(window) << "the browser showed no window titled \"" << window_title << "\"";
    // The install folder as the install step recorded it, which the browser starts from.
    const fs::path installed = fs::canonical(install_folder());
    place_standin(installed / "kvtu_cfg_editor");

    desktop().click(*window, connect_button.x, connect_button.y);
    ASSERT_TRUE(wait_until([&] {
        const auto commands = ftp.received_commands();
        return std::find(commands.begin(), commands.end(), "LIST *.*") != commands.end();
    })) << "Connect did not list the configuration folder";

    desktop().click(*window, config_box.x, config_box.y);
    ASSERT_TRUE(focused(*window));
    desktop().type("server.cfg");
    desktop().click(*window, edit_config_button.x, edit_config_button.y);
    const auto started = await_record(editor_record);
    ASSERT_TRUE(started) << "Edit Config started no editor";
    EXPECT_EQ(started->working_folder, installed.string());
    EXPECT_THAT(started->arguments,
                ElementsAre((installed / "kvtu_cfg_editor").string(), "tmp/server.cfg"));
    EXPECT_EQ(file_bytes(installed / "tmp" / "server.cfg"), config);
    EXPECT_THAT(ftp.received_commands(), Contains("CWD config"));
    EXPECT_THAT(ftp.received_commands(), Contains("RETR server.cfg"));

    ASSERT_TRUE(close_browser(*window));
    EXPECT_TRUE(ftp.wait_for_closed_connections(1));
}

}  // namespace
}  // namespace kvtu::test
