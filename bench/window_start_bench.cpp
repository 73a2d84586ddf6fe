// Times programs from their start to their first window being mapped on the X display named by
// DISPLAY, and to the first picture drawn into it, seen from outside: the map as the X server
// reports it for a window whose _NET_WM_PID is the started process, and the first damage the
// server reports of that window's content. A program may do work before its map that another
// does between its map and its first picture (setting up fonts, say); the picture is what the
// user waits for. Each program is ended after its window was drawn. The programs run in turn,
// round after round; the first is the baseline of the ratios.
//
//   window_start_bench ROUNDS [--goal TEXT] NAME 'COMMAND' [NAME 'COMMAND' ...]
//
// COMMAND is split at blanks; leading NAME=VALUE words go into the program's environment.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "interleaved.h"

extern char** environ;

namespace {

using clock_type = std::chrono::steady_clock;
constexpr auto window_wait = std::chrono::seconds(30);
constexpr auto end_wait = std::chrono::seconds(5);

struct Command {
    std::vector<std::string> environment;  // NAME=VALUE
    std::vector<std::string> arguments;
};

Command parse(const std::string& text) {
    Command command;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const bool assignment = command.arguments.empty() && word.find('=') != std::string::npos &&
                                word.front() != '=' && word.front() != '/';
        (assignment ? command.environment : command.arguments).push_back(word);
    }
    if (command.arguments.empty()) throw std::runtime_error("no program in '" + text + "'");
    return command;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

class XDisplay {
  public:
    XDisplay() {
        display_ = XOpenDisplay(nullptr);
        if (display_ == nullptr) throw std::runtime_error("cannot open the X display (DISPLAY)");
        pid_atom_ = XInternAtom(display_, "_NET_WM_PID", False);
        int error_base = 0;
        if (!XDamageQueryExtension(display_, &damage_event_base_, &error_base)) {
            throw std::runtime_error("the X server has no DAMAGE extension");
        }
        // A window may be gone before its damage is asked for; that is no reason to stop.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
        XSync(display_, True);
    }
    ~XDisplay() { XCloseDisplay(display_); }

    struct Times {
        double mapped = 0, painted = 0;  // seconds since the start
    };

    // Starts the command and returns the times until its window was mapped and first drawn;
    // the title of that window goes to `title`.
    Times start_and_wait(Command command, std::string& title) {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            bool replaced = false;
            for (const std::string& assignment : command.environment) {
                replaced = replaced || text.compare(0, assignment.find('=') + 1, assignment, 0,
                                                    assignment.find('=') + 1) == 0;
            }
            if (!replaced) environment.push_back(text);
        }
        environment.insert(environment.end(), command.environment.begin(),
                           command.environment.end());
        auto argv = pointers(command.arguments);
        auto envp = pointers(environment);

        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        XSync(display_, True);
        first_damage_.clear();
        pid_t child = 0;
        const auto started = clock_type::now();
        const int error = posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&quiet);
        if (error != 0) {
            throw std::runtime_error("cannot start " + command.arguments[0] + ": " +
                                     std::strerror(error));
        }
        const Times times = wait_for_picture(child, started, title);
        end(child);
        XSync(display_, True);
        return times;
    }

  private:
    // Asks the program to end, and ends it if it has not within `end_wait`; either way it is
    // reaped, so that no round leaves a program running into the next.
    static void end(pid_t child) {
        kill(child, SIGTERM);
        const auto deadline = clock_type::now() + end_wait;
        while (clock_type::now() < deadline) {
            const pid_t ended = waitpid(child, nullptr, WNOHANG);
            if (ended == child || (ended < 0 && errno != EINTR)) return;
            usleep(10000);
        }
        std::fprintf(
            stderr,
            "window start bench: process %d did not end within %lld s of SIGTERM; killing it\n",
            static_cast<int>(child), static_cast<long long>(end_wait.count()));
        kill(child, SIGKILL);
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }

    Times wait_for_picture(pid_t child, clock_type::time_point started, std::string& title) {
        const auto deadline = started + window_wait;
        Times times;
        Window shown = None;
        for (;;) {
            while (XPending(display_) > 0) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == CreateNotify && !event.xcreatewindow.override_redirect) {
                    // Watched from its creation, long before the program can draw into it.
                    XDamageCreate(display_, event.xcreatewindow.window, XDamageReportNonEmpty);
                    continue;
                }
                if (event.type == damage_event_base_ + XDamageNotify) {
                    const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                    first_damage_.try_emplace(damage.drawable, kvtu::bench::seconds_since(started));
                } else if (event.type == MapNotify && !event.xmap.override_redirect &&
                           shown == None && pid_of(event.xmap.window) == child) {
                    times.mapped = kvtu::bench::seconds_since(started);
                    shown = event.xmap.window;
                    title = title_of(shown);
                }
                if (shown == None) continue;
                if (const auto drawn = first_damage_.find(shown); drawn != first_damage_.end()) {
                    times.painted = drawn->second;
                    return times;
                }
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now());
            int status = 0;
            if (left.count() <= 0 || waitpid(child, &status, WNOHANG) == child) {
                kill(child, SIGKILL);
                waitpid(child, nullptr, 0);
                throw std::runtime_error("no window appeared");
            }
            pollfd waiting{ConnectionNumber(display_), POLLIN, 0};
            poll(&waiting, 1, static_cast<int>(std::min<long>(left.count(), 100)));
        }
    }

    long pid_of(Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, left = 0;
        unsigned char* data = nullptr;
        long pid = -1;
        if (XGetWindowProperty(display_, window, pid_atom_, 0, 1, False, XA_CARDINAL, &type,
                               &format, &count, &left, &data) == Success &&
            data != nullptr && count == 1 && format == 32) {
            pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
        }
        if (data != nullptr) XFree(data);
        return pid;
    }

    std::string title_of(Window window) {
        char* name = nullptr;
        std::string title;
        if (XFetchName(display_, window, &name) != 0 && name != nullptr) title = name;
        if (name != nullptr) XFree(name);
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, window, &attributes) != 0) {
            title += " (" + std::to_string(attributes.width) + "x" +
                     std::to_string(attributes.height) + ")";
        }
        return title;
    }

    Display* display_ = nullptr;
    Atom pid_atom_ = None;
    int damage_event_base_ = 0;
    std::map<Window, double> first_damage_;  // seconds since the start, by window
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string goal;
    if (words.size() >= 3 && words[1] == "--goal") {
        goal = words[2];
        words.erase(words.begin() + 1, words.begin() + 3);
    }
    if (words.size() < 3 || words.size() % 2 != 1) {
        std::fprintf(stderr, "usage: %s ROUNDS [--goal TEXT] NAME 'COMMAND' [NAME 'COMMAND' ...]\n",
                     argv[0]);
        return 2;
    }
    try {
        const int rounds = std::stoi(words[0]);
        XDisplay display;
        std::vector<kvtu::bench::Road> roads;
        // Each start gives both times; the time to the picture of the sample being taken is
        // kept here, in the order of the samples, and sorted into rounds afterwards.
        std::vector<std::vector<double>> painted((words.size() - 1) / 2);
        for (std::size_t i = 1; i + 1 < words.size(); i += 2) {
            const Command command = parse(words[i + 1]);
            const std::string name = words[i];
            std::vector<double>& pictures = painted[i / 2];
            roads.push_back(
                {name + ", mapped", [&display, &pictures, command, name, shown = false]() mutable {
                     std::string title;
                     const auto times = display.start_and_wait(command, title);
                     if (!shown) {
                         std::printf("  %s: window \"%s\"\n", name.c_str(), title.c_str());
                         shown = true;
                     }
                     pictures.push_back(times.painted);
                     return times.mapped;
                 }});
        }
        for (auto& road : roads) road.sample();  // warm-up: files in the page cache
        for (auto& pictures : painted) pictures.clear();
        const auto mapped = kvtu::bench::run_interleaved(roads, rounds);
        std::vector<kvtu::bench::Figures> drawn;
        for (std::size_t road = 0; road < roads.size(); ++road) {
            std::string name = roads[road].name;
            name.replace(name.rfind("mapped"), 6, "drawn");
            drawn.push_back(kvtu::bench::figures_of(name, painted[road]));
        }
        for (std::size_t i = 1; i < mapped.size(); ++i) {
            kvtu::bench::print_ratio(mapped[i], mapped[0], "");
        }
        for (std::size_t i = 1; i < drawn.size(); ++i) {
            kvtu::bench::print_ratio(drawn[i], drawn[0], goal.c_str());
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "window start bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
