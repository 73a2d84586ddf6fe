#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace kvtu::test {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> changed_environment(const EnvironmentChanges& changes) {
    std::map<std::string, std::string> variables;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos)
            variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            variables[name] = *value;
        } else {
            variables.erase(name);
        }
    }
    std::vector<std::string> environment;
    for (const auto& [name, value] : variables) environment.push_back(name + "=" + value);
    return environment;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> arguments, const EnvironmentChanges& changes,
                           const std::filesystem::path& log, int kept_descriptor)
    : log_(log) {
    std::vector<std::string> environment = changed_environment(changes);
    // Everything the child needs is prepared here: between fork and exec only calls that are
    // safe in a copy of a process with threads may run.
    std::vector<char*> argv = pointers_to(arguments);
    std::vector<char*> envp = pointers_to(environment);

    const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (output < 0)
        throw std::runtime_error("cannot open " + log.string() + ": " + strerror(errno));
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t child = fork();
    if (child < 0) {
        close(output);
        close(nothing);
        throw std::runtime_error(std::string("fork: ") + strerror(errno));
    }
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(nothing, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        if (kept_descriptor >= 0) fcntl(kept_descriptor, F_SETFD, 0);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(output);
    close(nothing);
    pid_ = child;
}

ChildProcess::~ChildProcess() {
    stop();
}

std::optional<int> ChildProcess::wait_for_exit(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!status_) {
        int status = 0;
        const pid_t ended = waitpid(pid_, &status, WNOHANG);
        if (ended == pid_) {
            status_ = status;
            break;
        }
        if (ended < 0 && errno != EINTR) break;
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
}

bool ChildProcess::running() {
    return !wait_for_exit(std::chrono::milliseconds(0));
}

void ChildProcess::stop() {
    if (pid_ <= 0 || status_) return;
    kill(pid_, SIGTERM);
    if (wait_for_exit(std::chrono::seconds(5))) return;
    kill(pid_, SIGKILL);
    wait_for_exit(std::chrono::seconds(5));
}

int exit_code(const std::optional<int>& status) {
    if (!status || !WIFEXITED(*status)) return -1;
    return WEXITSTATUS(*status);
}

std::string log_tail(const std::filesystem::path& log, std::size_t lines) {
    std::ifstream in(log);
    std::deque<std::string> last;
    for (std::string line; std::getline(in, line);) {
        last.push_back(line);
        if (last.size() > lines) last.pop_front();
    }
    std::string text;
    for (const std::string& line : last) text += "    " + line + "\n";
    return text;
}

}  // namespace kvtu::test
