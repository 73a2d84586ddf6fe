// The real launcher as a process: only one copy runs per user.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "../core/hive_test_files.h"
#include "platform/core/named_mutex.h"
#include "skin_fixture.h"
#include "test_environment.h"

extern char** environ;

namespace kvtu {
namespace {

using Clock = std::chrono::steady_clock;

pid_t start_launcher() {
    const std::string program = (test::binary_dir() / "launcher" / "kvtu_vavaver").string();
    char* arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pid_t child = -1;
    EXPECT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ), 0);
    return child;
}

// Whether the process holds an flock on the file, as /proc/locks tells.
bool holds_lock(pid_t process, const std::string& path) {
    struct stat file_status {};
    if (stat(path.c_str(), &file_status) != 0) return false;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, device_inode;
        pid_t holder = 0;
        if (!(fields >> number >> kind >> mode >> access >> holder >> device_inode)) continue;
        const auto inode = device_inode.substr(device_inode.rfind(':') + 1);
        if (kind == "FLOCK" && holder == process && inode == std::to_string(file_status.st_ino)) {
            return true;
        }
    }
    return false;
}

// Waits for the process to end, at most the given time; its exit status, or -1 while it runs.
int wait_for_exit(pid_t process, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    int status = 0;
    while (waitpid(process, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
}

// Ends a started launcher when the test ends, also when an assertion ends it early, so that no
// copy outlives the test and none is left unreaped.
class Stopper {
  public:
    explicit Stopper(pid_t process) : process_(process) {}
    ~Stopper() {
        if (process_ <= 0) return;
        kill(process_, SIGTERM);
        if (wait_for_exit(process_, std::chrono::seconds(20)) == -1) {
            kill(process_, SIGKILL);
            waitpid(process_, nullptr, 0);
        }
    }
    Stopper(const Stopper&) = delete;
    Stopper& operator=(const Stopper&) = delete;
    // The process has ended and was reaped.
    void ended() { process_ = 0; }

  private:
    pid_t process_;
};

TEST(SingleInstanceTest, SecondStartEndsAtOnceChangingNothingAndTheFirstRunsOn) {
    const std::string lock_file = NamedMutex::lock_file_path("Programmname");
    launcher::test::install_design_skin();
    const pid_t first = start_launcher();
    ASSERT_GT(first, 0);
    const Stopper stop_first(first);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    // The first start with an empty store ends its writes with the setup dialog's FTP key.
    const auto started = [&] {
        return holds_lock(first, lock_file) &&
               test::file_bytes(test::hive_path()).find("ftp_server]") != std::string::npos;
    };
    while (!started() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(started());
    const std::string hive_before = test::file_bytes(test::hive_path());
    struct stat before {};
    stat(test::hive_path().c_str(), &before);

    const pid_t second = start_launcher();
    ASSERT_GT(second, 0);
    Stopper stop_second_if_it_runs(second);
    const int second_status = wait_for_exit(second, std::chrono::seconds(20));
    ASSERT_NE(second_status, -1) << "the second copy did not end";
    stop_second_if_it_runs.ended();
    EXPECT_TRUE(WIFEXITED(second_status));
    EXPECT_EQ(WEXITSTATUS(second_status), 0);

    EXPECT_EQ(test::file_bytes(test::hive_path()), hive_before);
    struct stat after {};
    stat(test::hive_path().c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);  // not replaced by a rewrite
    EXPECT_EQ(wait_for_exit(first, std::chrono::milliseconds(0)), -1) << "the first copy ended";
    EXPECT_TRUE(holds_lock(first, lock_file));
}

}  // namespace
}  // namespace kvtu
