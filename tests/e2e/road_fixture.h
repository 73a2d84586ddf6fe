#pragma once
// The frame of every end-to-end road: the test's own desktop, the suite installed by its
// install script into the test's own install folder, with the test's own settings store and
// home folder, and the installed programs started as processes on that desktop. What the
// programs did is looked at only from outside: windows, files, started processes.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "child_process.h"
#include "desktop.h"
#include "standin_record.h"

namespace kvtu::test {

namespace fs = std::filesystem;

struct Point {
    int x = 0;
    int y = 0;
};

class RoadTest : public ::testing::Test {
  protected:
    void SetUp() override;
    // After a failure, shows the windows on the desktop and the programs' last words.
    void TearDown() override;

    Desktop& start_desktop(Desktop::NotificationArea notification_area);
    Desktop& desktop() { return *desktop_; }

    // Installs the suite with scripts/install.sh from this build into install_folder(), which
    // also records the folder and the default skin in the settings store.
    void install();
    static fs::path install_folder();
    static fs::path launcher_program() { return install_folder() / "kvt_vavaver"; }
    static fs::path browser_program() { return install_folder() / "kvtu_dadererizarud"; }

    // Starts a program on the desktop with the test's environment: its settings store, runtime
    // folder and home, and nothing of the session the test itself runs in. It runs until it
    // ends or the test does.
    ChildProcess& start(const fs::path& program);

    // The text of a value of the launcher's key (or of its "ftp_server" subkey) as the hive
    // file holds it; nothing when the file lacks it.
    static std::optional<std::string> stored(std::string_view name, std::string_view subkey = {});
    // Writes a value as an earlier run of the programs would have.
    static void store(std::string_view key, std::string_view name, std::string_view value);

    // What a stand-in started by a program recorded, once it has; nothing after the wait.
    static std::optional<StandinRecord> await_record(const fs::path& record);

    // The middle of a control as the installed default skin places it, in window coordinates.
    static Point skin_control(std::string_view section);

    // Waits until `find` finds a window; nothing when it found none within the wait.
    static std::optional<WindowId> await(const std::function<std::optional<WindowId>()>& find);
    // Whether the window's area lies in the middle of the screen's work area.
    bool centred(WindowId window);

    // Waits for a window to be shown: viewable, in the normal state.
    ::testing::AssertionResult shown(WindowId window);
    // Waits for a window to be hidden: neither viewable nor in the taskbar.
    ::testing::AssertionResult hidden(WindowId window);
    // Waits until the window has the keyboard, so that typed keys reach it.
    ::testing::AssertionResult focused(WindowId window);

  private:
    std::unique_ptr<Desktop> desktop_;
    std::vector<std::unique_ptr<ChildProcess>> programs_;
    // The variables that SetUp changed, as they were.
    std::vector<std::pair<std::string, std::optional<std::string>>> environment_before_;
};

// The lines of a text file, without their line ends (CR LF, LF or CR).
std::vector<std::string> file_lines(const fs::path& path);

}  // namespace kvtu::test
