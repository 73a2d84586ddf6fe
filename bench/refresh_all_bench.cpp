// "Refresh All" of the real browser window on the offscreen platform, over 100, 1,000 and
// 10,000 game servers on loopback that answer at once, against the bare network work of the
// same count: one UDP status round trip and one ICMP echo round trip per server, on sockets kept
// for the whole sample. Every line of the list is "127.0.0.1:<port>" of its own server, and every
// echo goes to 127.0.0.1, which the system answers itself.
#include <arpa/inet.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeWidget>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "answering_servers.h"
#include "browser/browser_form.h"
#include "browser/program.h"
#include "interleaved.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "platform/net/icmp_echo_packet.h"
#include "platform/ui/application.h"
#include "status_reply.h"

namespace {

namespace fs = std::filesystem;
using kvtu::bench::timed;

// Where the settings store, the mutexes and the install folder of this run live.
class Sandbox {
  public:
    Sandbox() {
        std::string name = (fs::temp_directory_path() / "kvtu-bench-XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp");
        root_ = name;
        fs::create_directories(root_ / "config");
        fs::create_directories(root_ / "runtime");
        fs::permissions(root_ / "runtime", fs::perms::owner_all);
        fs::create_directories(install_dir() / "dta");
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path install_dir() const { return root_ / "install"; }

  private:
    fs::path root_;
};

// The least network work of one server: a status round trip on a kept UDP socket and an echo
// round trip on a kept ICMP socket of the kind this user may open.
class BareRoundTrips {
  public:
    static constexpr int reply_wait_seconds = 2;

    BareRoundTrips() {
        udp_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        icmp_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (icmp_ < 0) {
            icmp_ = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
            raw_ = true;
        }
        if (udp_ < 0 || icmp_ < 0) throw std::runtime_error("no UDP or ICMP socket");
        // Loopback loses no datagram, but if one is lost all the same the benchmark fails
        // instead of waiting for ever. Set once here, outside the timed part.
        const timeval limit{reply_wait_seconds, 0};
        for (const int handle : {udp_, icmp_}) {
            if (setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) {
                throw std::runtime_error("cannot bound the wait for a reply");
            }
        }
        if (raw_) {
            // Echo replies only: not the copy of each request that loopback hands a raw socket.
            icmp_filter replies{~(1u << kvtu::net::icmp::echo_reply_type)};
            setsockopt(icmp_, SOL_RAW, ICMP_FILTER, &replies, sizeof replies);
        }
    }
    ~BareRoundTrips() {
        close(udp_);
        close(icmp_);
    }

    // Echo traffic of the browser's own queries reaches a raw socket too; it is read away
    // before a sample, so that the sample reads only its own.
    void drain() {
        while (recv(icmp_, buffer_.data(), buffer_.size(), MSG_DONTWAIT) > 0) {
        }
    }

    void run(const std::vector<int>& ports) {
        sockaddr_in loopback{};
        loopback.sin_family = AF_INET;
        loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (const int port : ports) {
            loopback.sin_port = htons(static_cast<std::uint16_t>(port));
            sendto(udp_, request_.data(), request_.size(), 0,
                   reinterpret_cast<const sockaddr*>(&loopback), sizeof loopback);
            if (recv(udp_, buffer_.data(), buffer_.size(), 0) <= 0) {
                throw std::runtime_error("no status reply from 127.0.0.1:" + std::to_string(port) +
                                         " within " + std::to_string(reply_wait_seconds) + " s");
            }
            loopback.sin_port = 0;
            echo(loopback);
        }
    }

  private:
    void echo(const sockaddr_in& to) {
        const std::uint16_t sequence = ++sequence_;
        const std::string request = kvtu::net::icmp::echo_request(0x4b56, sequence, "");
        sendto(icmp_, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to),
               sizeof to);
        for (;;) {
            const ssize_t length = recv(icmp_, buffer_.data(), buffer_.size(), 0);
            if (length <= 0) {
                throw std::runtime_error("no echo reply from 127.0.0.1 within " +
                                         std::to_string(reply_wait_seconds) + " s");
            }
            std::string_view message(buffer_.data(), static_cast<std::size_t>(length));
            if (raw_) message = kvtu::net::icmp::icmp_of_datagram(message);
            if (message.size() >= kvtu::net::icmp::header_size &&
                static_cast<std::uint8_t>(message[0]) == kvtu::net::icmp::echo_reply_type &&
                kvtu::net::icmp::sequence_of(message) == sequence) {
                return;
            }
        }
    }

    const std::string request_ = "\\status\\";
    std::array<char, 8192> buffer_;
    int udp_ = -1;
    int icmp_ = -1;
    bool raw_ = false;
    std::uint16_t sequence_ = 0;
};

void store_installdir(const fs::path& folder) {
    kvtu::Registry settings_store;
    if (!settings_store.open_key(kvtu::settings::launcher_key, true)) {
        throw std::runtime_error("cannot open the settings store");
    }
    settings_store.write_string(kvtu::settings::installdir, folder.string());
}

struct Measured {
    std::size_t servers;
    kvtu::bench::Figures refresh, bare;
};

Measured measure(const Sandbox& sandbox, std::size_t count, int rounds) {
    kvtu::bench::AnsweringServers servers(count, kvtu::test::StatusReply().text());
    {
        std::ofstream list(sandbox.install_dir() / "dta" / "serverlist.dat",
                           std::ios::binary | std::ios::trunc);
        for (const int port : servers.ports()) list << "127.0.0.1:" << port << "\r\n";
    }
    kvtu::browser::create_window();
    kvtu::browser::Tmain_form& window = *kvtu::browser::main_form;
    window.show();
    QApplication::processEvents();
    BareRoundTrips bare;

    const auto refresh_all = [&window] {
        const double seconds = timed([&window] { window.Button1Click(); });
        QApplication::processEvents();
        return seconds;
    };
    // Warm-up, and a check that every row got its server's summary.
    refresh_all();
    bare.run(servers.ports());
    auto& rows = *window.findChild<QTreeWidget*>("serverlist");
    for (int i = 0; i < rows.topLevelItemCount(); ++i) {
        if (rows.topLevelItem(i)->text(1).isEmpty()) {
            throw std::runtime_error("a row got no summary: " +
                                     rows.topLevelItem(i)->text(0).toStdString());
        }
    }

    std::printf("Refresh All over %zu servers on loopback\n", count);
    const auto figures =
        kvtu::bench::run_interleaved({{"Refresh All (browser window, offscreen)", refresh_all},
                                      {"bare UDP + ICMP round trips, same count",
                                       [&] {
                                           bare.drain();
                                           return timed([&] { bare.run(servers.ports()); });
                                       }}},
                                     rounds);
    kvtu::browser::destroy_window();
    return {count, figures[0], figures[1]};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Ten thousand servers need a descriptor each.
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
    }
    try {
        Sandbox sandbox;
        QApplication application(argc, argv);
        kvtu::ui::Application::instance().set_title(std::string(kvtu::browser::application_title));
        std::vector<std::string> boxes;
        kvtu::ui::Application::instance().set_message_recorder(
            [&boxes](const kvtu::ui::MessageRecord& box) { boxes.push_back(box.text); });
        store_installdir(sandbox.install_dir());

        std::vector<Measured> results;
        for (const auto& [count, rounds] :
             {std::pair<std::size_t, int>{100, 21}, {1000, 11}, {10000, 3}}) {
            results.push_back(measure(sandbox, count, rounds));
            if (!boxes.empty()) throw std::runtime_error("message box: " + boxes.front());
            if (count == 1000) {
                kvtu::bench::print_ratio(results.back().refresh, results.back().bare, "<= 1.3x");
            } else {
                kvtu::bench::print_ratio(results.back().refresh, results.back().bare, "");
            }
        }
        std::printf("Refresh All per server:");
        for (const Measured& result : results) {
            std::printf("  %zu: %.1f us", result.servers,
                        result.refresh.median / static_cast<double>(result.servers) * 1e6);
        }
        const Measured& thousand = results[1];
        const Measured& ten_thousand = results[2];
        std::printf(
            "\n  growth from 1,000 to 10,000 servers: %.2fx the time for 10x the servers"
            " (linear: 10x)\n",
            ten_thousand.refresh.median / thousand.refresh.median);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Refresh All bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
