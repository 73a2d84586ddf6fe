#include "road_fixture.h"

#include <stdlib.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

#include "../core/hive_test_files.h"
#include "platform/core/profile.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "test_environment.h"

namespace kvtu::test {

namespace {

constexpr const char* default_skin = "default";

std::string hex(WindowId window) {
    std::ostringstream text;
    text << "0x" << std::hex << window;
    return text.str();
}

// A REG_SZ text of the hive file without its escapes.
std::string unescaped(std::string_view text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        plain += text[i];
    }
    return plain;
}

}  // namespace

void RoadTest::SetUp() {
    // A home of the test's own, with the data folder under it, for everything that the
    // programs, the install step and the desktop keep per user.
    const fs::path home = sandbox() / "home";
    fs::create_directories(home);
    for (const auto& [name, value] :
         {std::pair{"HOME", home}, std::pair{"XDG_DATA_HOME", home / ".local" / "share"}}) {
        const char* before = getenv(name);
        environment_before_.emplace_back(
            name, before ? std::optional<std::string>(before) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    // As a login session has it: the runtime folder is the user's alone.
    fs::permissions(runtime_dir(), fs::perms::owner_all, fs::perm_options::replace);
}

void RoadTest::TearDown() {
    if (HasFailure()) {
        std::cout << "--- what the desktop showed at the end of the test\n";
        if (desktop_) std::cout << desktop_->describe() << desktop_->logs();
        for (const auto& program : programs_) {
            std::cout << "  " << program->log().filename().string() << ":\n"
                      << log_tail(program->log());
        }
    }
    // The programs end before their desktop does.
    while (!programs_.empty()) programs_.pop_back();
    desktop_.reset();
    // A later test in this process must not send its stand-ins' records into this sandbox.
    unsetenv("KVTU_STANDIN_RECORD");
    for (const auto& [name, value] : environment_before_) {
        if (value) {
            setenv(name.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name.c_str());
        }
    }
    environment_before_.clear();
}

Desktop& RoadTest::start_desktop(Desktop::NotificationArea notification_area) {
    desktop_ = std::make_unique<Desktop>(sandbox() / "desktop", notification_area);
    return *desktop_;
}

fs::path RoadTest::install_folder() {
    return install_dir();
}

void RoadTest::install() {
    const fs::path log = sandbox() / "install.log";
    ChildProcess script({(source_dir() / "scripts" / "install.sh").string(),
                         install_folder().string(), binary_dir().string()},
                        {}, log);
    const auto status = script.wait_for_exit(std::chrono::seconds(60));
    ASSERT_EQ(exit_code(status), 0) << "the install script failed:\n" << log_tail(log);
}

ChildProcess& RoadTest::start(const fs::path& program) {
    const fs::path log = sandbox() / (program.filename().string() + "-" +
                                      std::to_string(programs_.size() + 1) + ".log");
    const EnvironmentChanges desktop_session = {
        {"DISPLAY", desktop_->display()},
        {"QT_QPA_PLATFORM", "xcb"},
        // Nothing of the session the test runs in: no bus (whose notification service would
        // take the icon instead of the desktop's notification area), no session manager, no
        // Wayland, no input method, no scaling or style of the user's choice.
        {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
        {"SESSION_MANAGER", std::nullopt},
        {"WAYLAND_DISPLAY", std::nullopt},
        {"XAUTHORITY", std::nullopt},
        {"XMODIFIERS", std::nullopt},
        {"QT_IM_MODULE", std::nullopt},
        {"QT_SCALE_FACTOR", std::nullopt},
        {"QT_SCREEN_SCALE_FACTORS", std::nullopt},
        {"QT_FONT_DPI", std::nullopt},
        {"QT_STYLE_OVERRIDE", std::nullopt},
    };
    programs_.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{program.string()},
                                                       desktop_session, log));
    return *programs_.back();
}

std::optional<std::string> RoadTest::stored(std::string_view name, std::string_view subkey) {
    std::string section = "[HKEY_CURRENT_USER\\" + std::string(settings::launcher_key);
    if (!subkey.empty()) section += "\\" + std::string(subkey);
    section += "]";
    const std::string start = "\"" + std::string(name) + "\"=\"";
    std::istringstream lines(file_bytes(hive_path()));
    bool in_section = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("[")) {
            in_section = line == section;
        } else if (in_section && line.starts_with(start) && line.size() > start.size() &&
                   line.back() == '"') {
            return unescaped(
                std::string_view(line).substr(start.size(), line.size() - start.size() - 1));
        }
    }
    return std::nullopt;
}

void RoadTest::store(std::string_view key, std::string_view name, std::string_view value) {
    Registry settings_store;
    ASSERT_TRUE(settings_store.open_key(key, true));
    settings_store.write_string(name, value);
}

std::optional<StandinRecord> RoadTest::await_record(const fs::path& record) {
    if (!wait_until([&] { return fs::exists(record); })) return std::nullopt;
    return read_standin_record(record);
}

Point RoadTest::skin_control(std::string_view section) {
    const std::string file =
        (install_folder() / "styles" / default_skin / "styleconfig.ini").string();
    const auto number = [&](std::string_view key) {
        return std::stoi(read_profile_string(file, section, key));
    };
    return {number("positionX") + number("width") / 2, number("positionY") + number("height") / 2};
}

std::optional<WindowId> RoadTest::await(const std::function<std::optional<WindowId>()>& find) {
    std::optional<WindowId> found;
    wait_until([&] { return (found = find()).has_value(); });
    return found;
}

bool RoadTest::centred(WindowId window) {
    const Area work = desktop_->work_area();
    // The frame is what the user sees of the window: it, not the client area, is centred.
    const Area area = desktop_->view(window).frame;
    // Halving an odd difference may round either way.
    return std::abs(area.x - (work.x + (work.width - area.width) / 2)) <= 1 &&
           std::abs(area.y - (work.y + (work.height - area.height) / 2)) <= 1;
}

::testing::AssertionResult RoadTest::shown(WindowId window) {
    if (wait_until([&] {
            const WindowView view = desktop_->view(window);
            return view.viewable && view.state == WindowView::State::normal;
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "window " << hex(window) << " is not shown";
}

::testing::AssertionResult RoadTest::hidden(WindowId window) {
    if (wait_until([&] {
            const WindowView view = desktop_->view(window);
            return !view.viewable && view.state == WindowView::State::withdrawn;
        })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "window " << hex(window) << " is still shown or in the taskbar";
}

::testing::AssertionResult RoadTest::focused(WindowId window) {
    if (wait_until([&] { return desktop_->has_input_focus(window); })) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "window " << hex(window) << " has not the keyboard";
}

std::vector<std::string> file_lines(const fs::path& path) {
    const std::string bytes = file_bytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') {
            line += bytes[i];
            continue;
        }
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        lines.push_back(line);
        line.clear();
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace kvtu::test
