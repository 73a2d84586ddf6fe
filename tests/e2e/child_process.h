#pragma once
// A program that an end-to-end test starts as a process of its own: the X server, the window
// manager, the installed programs, the install script. Its output goes to a log file; it is
// ended when the object goes, also when an assertion ends the test early, and it is killed by
// the system should the test process die first.
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kvtu::test {

// Changes to the test's environment for a started program; no value removes the variable.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

class ChildProcess {
  public:
    // Starts `arguments[0]` (looked up on the test's PATH when it has no "/"). `kept_descriptor`,
    // when not -1, stays open in the program under its number.
    ChildProcess(std::vector<std::string> arguments, const EnvironmentChanges& changes,
                 const std::filesystem::path& log, int kept_descriptor = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    const std::filesystem::path& log() const { return log_; }

    // Waits at most `limit` for the end; the status as waitpid reports it, or nothing while the
    // program still runs.
    std::optional<int> wait_for_exit(std::chrono::milliseconds limit);
    bool running();
    // SIGTERM, and SIGKILL when that has not ended it within a few seconds.
    void stop();

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::filesystem::path log_;
};

// The exit code of a status that wait_for_exit reported, or -1 when the program did not exit
// by itself (it was killed by a signal, or it still runs).
int exit_code(const std::optional<int>& status);

// The last lines of a log, for the message of a failed test.
std::string log_tail(const std::filesystem::path& log, std::size_t lines = 15);

}  // namespace kvtu::test
