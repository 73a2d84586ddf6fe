#include "shell.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace kvtu {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool is_executable_file(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           access(path.c_str(), X_OK) == 0;
}

bool exists(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

// The started process changes into the working folder before it runs, so a path relative to
// the caller's folder is made absolute first.
std::string absolute(const std::string& path) {
    if (path.starts_with('/')) return path;
    std::string folder(4096, '\0');
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) return path;
        folder.resize(folder.size() * 2);
    }
    folder.resize(folder.find('\0'));
    return folder + "/" + path;
}

std::string find_on_path(std::string_view program) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const auto end = folders.find(':');
        std::string folder(folders.substr(0, end));
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + std::string(program);
        if (is_executable_file(candidate)) return absolute(candidate);
        if (end == std::string_view::npos) return {};
        folders.remove_prefix(end + 1);
    }
}

// Runs in the grandchild between fork and exec, so only async-signal-safe calls: the started
// program gets no stdin, none of our other descriptors (the single-instance lock among them),
// default signal handling and the working folder.
[[noreturn]] void exec_detached(const char* program, char* const* argv, const char* folder,
                                int highest_descriptor) {
    sigset_t all_unblocked;
    sigemptyset(&all_unblocked);
    sigprocmask(SIG_SETMASK, &all_unblocked, nullptr);
    signal(SIGPIPE, SIG_DFL);
    if (folder != nullptr && chdir(folder) != 0) _exit(127);
    const int null_input = open("/dev/null", O_RDONLY);
    if (null_input < 0) {
        close(STDIN_FILENO);
    } else if (null_input != STDIN_FILENO) {
        dup2(null_input, STDIN_FILENO);
    }
    if (close_range(3, ~0U, 0) != 0) {
        for (int descriptor = 3; descriptor <= highest_descriptor; ++descriptor) close(descriptor);
    }
    execv(program, argv);
    _exit(127);
}

// Double fork: the intermediate child ends at once and is reaped here, so the started program
// is adopted by init (or the nearest subreaper) and never becomes our zombie; the caller waits
// only for that brief intermediate step, never for the program.
void start_detached(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& working_folder) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const char* folder = working_folder.empty() ? nullptr : working_folder.c_str();

    rlimit limit{};
    int highest_descriptor = 1023;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < 65536) {
        highest_descriptor = static_cast<int>(limit.rlim_cur) - 1;
    }

    const pid_t intermediate = fork();
    if (intermediate < 0) return;
    if (intermediate == 0) {
        setsid();
        const pid_t started = fork();
        if (started == 0) exec_detached(program.c_str(), argv.data(), folder, highest_descriptor);
        _exit(started < 0 ? 127 : 0);
    }
    int status = 0;
    while (waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::vector<std::string> split_command_line(const std::string& parameters) {
    std::vector<std::string> arguments;
    std::string current;
    bool in_argument = false;
    bool quoted = false;
    std::size_t i = 0;
    const std::size_t length = parameters.size();
    while (i < length) {
        const char c = parameters[i];
        if (is_blank(c) && !quoted) {
            if (in_argument) {
                arguments.push_back(std::move(current));
                current.clear();
                in_argument = false;
            }
            ++i;
            continue;
        }
        in_argument = true;
        if (c == '\\') {
            std::size_t end = i;
            while (end < length && parameters[end] == '\\') ++end;
            const std::size_t count = end - i;
            if (end < length && parameters[end] == '"') {
                current.append(count / 2, '\\');
                if (count % 2 == 1) {
                    current += '"';
                    ++end;
                }
            } else {
                current.append(count, '\\');
            }
            i = end;
        } else if (c == '"') {
            if (quoted && i + 1 < length && parameters[i + 1] == '"') {
                current += '"';
                quoted = false;
                i += 2;
            } else {
                quoted = !quoted;
                ++i;
            }
        } else {
            current += c;
            ++i;
        }
    }
    if (in_argument) arguments.push_back(std::move(current));
    return arguments;
}

void shell_open(const std::string& file, const std::string& parameters,
                const std::string& working_folder) {
    try {
        if (file.empty()) return;
        if (!working_folder.empty() && !exists(working_folder)) return;
        if (is_executable_file(file)) {
            const std::string program = absolute(file);
            std::vector<std::string> arguments{program};
            for (auto& argument : split_command_line(parameters)) {
                arguments.push_back(std::move(argument));
            }
            start_detached(program, arguments, working_folder);
            return;
        }
        const std::string opener = find_on_path("xdg-open");
        if (opener.empty()) return;
        // A document named relative to our folder must still be found from the working folder.
        const std::string target = exists(file) ? absolute(file) : file;
        start_detached(opener, {opener, target}, working_folder);
    } catch (...) {
        // Starts are not reported, as designed; running out of memory here is no reason to end
        // the launcher.
    }
}

}  // namespace kvtu
