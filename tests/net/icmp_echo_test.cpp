#include "platform/net/icmp_echo.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/errors.h"
#include "platform/net/icmp_echo_packet.h"
#include "test_environment.h"

namespace {

using kvtu::net::EchoReply;
using kvtu::net::EchoStatus;
using kvtu::net::IcmpEcho;

int open_descriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

struct Recorded {
    std::vector<EchoReply> replies;
    std::vector<int> descriptors_at_call;
};

void record_into(IcmpEcho& echo, Recorded& recorded) {
    echo.on_reply = [&recorded](const EchoReply& reply) {
        recorded.replies.push_back(reply);
        recorded.descriptors_at_call.push_back(open_descriptors());
    };
}

TEST(IcmpEcho, StartsWithTheComponentsDefaults) {
    IcmpEcho echo;
    EXPECT_EQ(echo.receive_timeout(), 5000);
    EXPECT_EQ(echo.port(), 0);
    echo.set_port(2303);
    echo.set_receive_timeout(2000);
    echo.set_host("LocalHost");
    EXPECT_EQ(echo.port(), 2303);
    EXPECT_EQ(echo.receive_timeout(), 2000);
    EXPECT_EQ(echo.host(), "LocalHost");
}

TEST(IcmpEcho, LoopbackAnswersEveryEchoOnOneSocketKeptUntilTheEchoIsReleased) {
    KVTU_SKIP_WITHOUT_ECHOES();
    const int before = open_descriptors();
    Recorded recorded;
    {
        IcmpEcho echo;
        record_into(echo, recorded);
        for (const char* host : {"127.0.0.1", "localhost", "LOCALHOST", "127.0.0.1"}) {
            echo.set_host(host);
            echo.ping();
        }
    }
    ASSERT_EQ(recorded.replies.size(), 4u);
    for (std::size_t i = 0; i < recorded.replies.size(); ++i) {
        EXPECT_EQ(recorded.replies[i].status, EchoStatus::echo_reply) << i;
        // Well inside the time-out: it ended with the answer, not with the wait.
        EXPECT_LT(recorded.replies[i].ms_time, 5000u) << i;
        // The first echo opened the socket; the others found it open.
        EXPECT_EQ(recorded.descriptors_at_call[i], before + 1) << i;
    }
    EXPECT_EQ(open_descriptors(), before);
}

TEST(IcmpEcho, EchoWithoutHandlerStillWorks) {
    KVTU_SKIP_WITHOUT_ECHOES();
    IcmpEcho echo;
    echo.set_host("127.0.0.1");
    echo.ping();
}

TEST(IcmpEcho, UnresolvableHostRaisesASocketErrorWithoutHandlerCall) {
    setenv("RES_OPTIONS", "timeout:1 attempts:1", 1);
    IcmpEcho echo;
    Recorded recorded;
    record_into(echo, recorded);
    const int before = open_descriptors();
    echo.set_host("kvtu-ping-target.invalid");
    try {
        echo.ping();
        FAIL() << "no socket error";
    } catch (const kvtu::SocketError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("Host \"kvtu-ping-target.invalid\" not found.\n", 0), 0u)
            << message;
    }
    EXPECT_TRUE(recorded.replies.empty());
    EXPECT_EQ(open_descriptors(), before);
    // An empty host is no host either.
    echo.set_host("");
    EXPECT_THROW(echo.ping(), kvtu::SocketError);
    EXPECT_TRUE(recorded.replies.empty());
}

// How the child's own network is set up for one echo.
struct Isolation {
    bool answer_echoes = true;
    bool datagram_sockets = false;  // whether our group may open datagram ping sockets
    bool unprivileged = false;      // run the echo as "nobody", without the right to raw sockets
    int timeout_ms = 5000;
    int echoes = 1;  // on one echo object
    // Answer the echo request with "host unreachable", as a router on the way would.
    bool unreachable = false;
};

// What an echo inside a network namespace of its own gave, reported by the child that ran it.
struct IsolatedOutcome {
    bool isolated = false;  // false: this system gives no namespace, and nothing ran
    int status = -1;
    std::uint32_t ms_time = 0;
    int calls = 0;
    bool raised = false;
    char message[128] = {};
    int raw_sockets = -1;       // open in the namespace after the echoes
    int datagram_sockets = -1;  // datagram ping sockets, likewise
};

// The sockets of one kind open in this network namespace: the lines of its table but the title.
int sockets_listed_in(const char* table) {
    std::ifstream file(table);
    int lines = 0;
    for (std::string line; std::getline(file, line);) ++lines;
    return lines - 1;
}

// Waits (at most 5 s) for one echo request on the namespace's loopback and answers it with
// "host unreachable" from 127.0.0.1, quoting its IP header and first eight bytes.
void answer_one_request_unreachable(int sniffer) {
    namespace icmp = kvtu::net::icmp;
    std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t length = recv(sniffer, buffer.data(), buffer.size(), 0);
        if (length <= 0) return;
        const std::string_view datagram(buffer.data(), static_cast<std::size_t>(length));
        const std::string_view message = icmp::icmp_of_datagram(datagram);
        if (message.size() < icmp::header_size ||
            static_cast<std::uint8_t>(message[0]) != icmp::echo_request_type) {
            continue;
        }
        const std::size_t ip_header = datagram.size() - message.size();
        std::string answer(icmp::header_size, '\0');
        answer[0] = static_cast<char>(icmp::unreachable_type);
        answer[1] = 1;  // host unreachable
        answer.append(datagram.substr(0, ip_header + icmp::header_size));
        const std::uint16_t sum = icmp::checksum(answer);
        answer[2] = static_cast<char>(sum >> 8);
        answer[3] = static_cast<char>(sum & 0xff);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sendto(sniffer, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&to),
               sizeof to);
        return;
    }
}

bool write_setting(const char* path, const char* value) {
    std::ofstream file(path);
    file << value;
    file.flush();
    return static_cast<bool>(file);
}

bool loopback_up() {
    const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (handle < 0) return false;
    ifreq request{};
    std::strcpy(request.ifr_name, "lo");
    bool done = ioctl(handle, SIOCGIFFLAGS, &request) == 0;
    request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP);
    done = done && ioctl(handle, SIOCSIFFLAGS, &request) == 0;
    close(handle);
    return done;
}

bool isolate(const Isolation& isolation) {
    constexpr id_t nobody = 65534;
    return unshare(CLONE_NEWNET) == 0 && loopback_up() &&
           write_setting("/proc/sys/net/ipv4/icmp_echo_ignore_all",
                         isolation.answer_echoes ? "0" : "1") &&
           write_setting("/proc/sys/net/ipv4/ping_group_range",
                         isolation.datagram_sockets ? "0 2147483647" : "1 0") &&
           (!isolation.unprivileged || (setgid(nobody) == 0 && setuid(nobody) == 0));
}

// Pings 127.0.0.1 from a child process in a network namespace of its own, so that its
// settings (an echo that is never answered, datagram ping sockets for our group or not) touch
// nothing but that child's loopback. Needs the right to make namespaces, which root has.
IsolatedOutcome ping_in_own_namespace(const Isolation& isolation) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        IsolatedOutcome outcome;
        if (isolate(isolation)) {
            outcome.isolated = true;
            std::thread router;
            if (isolation.unreachable) {
                const int sniffer = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
                const timeval limit{5, 0};
                setsockopt(sniffer, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
                router = std::thread([sniffer] {
                    answer_one_request_unreachable(sniffer);
                    close(sniffer);
                });
            }
            IcmpEcho echo;
            echo.set_host("127.0.0.1");
            echo.set_receive_timeout(isolation.timeout_ms);
            echo.on_reply = [&outcome](const EchoReply& reply) {
                outcome.status = static_cast<int>(reply.status);
                outcome.ms_time = reply.ms_time;
                ++outcome.calls;
            };
            try {
                for (int i = 0; i < isolation.echoes; ++i) echo.ping();
            } catch (const kvtu::Error& error) {
                outcome.raised = true;
                std::strncpy(outcome.message, error.what(), sizeof outcome.message - 1);
            }
            if (router.joinable()) router.join();
            outcome.raw_sockets = sockets_listed_in("/proc/net/raw");
            outcome.datagram_sockets = sockets_listed_in("/proc/net/icmp");
        }
        const bool sent = write(channel[1], &outcome, sizeof outcome) == sizeof outcome;
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    IsolatedOutcome outcome;
    pollfd waiting{channel[0], POLLIN, 0};
    if (child > 0 && poll(&waiting, 1, 30000) == 1) {
        if (read(channel[0], &outcome, sizeof outcome) != sizeof outcome) outcome = {};
    }
    close(channel[0]);
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    return outcome;
}

TEST(IcmpEcho, EchoWithoutAnswerCallsTheHandlerWithTheTimeWaited) {
    for (const bool datagram_sockets : {false, true}) {
        const IsolatedOutcome outcome = ping_in_own_namespace(
            {.answer_echoes = false, .datagram_sockets = datagram_sockets, .timeout_ms = 300});
        if (!outcome.isolated) GTEST_SKIP() << "no network namespace of our own here";
        EXPECT_FALSE(outcome.raised) << datagram_sockets;
        EXPECT_EQ(outcome.calls, 1) << datagram_sockets;
        EXPECT_EQ(outcome.status, static_cast<int>(EchoStatus::timed_out)) << datagram_sockets;
        EXPECT_GE(outcome.ms_time, 300u) << datagram_sockets;
    }
}

TEST(IcmpEcho, DatagramPingSocketGetsTheEchoReplyWhereTheSystemAllowsIt) {
    const IsolatedOutcome outcome =
        ping_in_own_namespace({.datagram_sockets = true, .unprivileged = true});
    if (!outcome.isolated) GTEST_SKIP() << "no network namespace of our own here";
    EXPECT_FALSE(outcome.raised) << outcome.message;
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.status, static_cast<int>(EchoStatus::echo_reply));
    EXPECT_LT(outcome.ms_time, 5000u);
}

TEST(IcmpEcho, TheKindOfSocketThatWorksServesEveryEchoOfTheRun) {
    // With the right to raw sockets, the datagram kind is still asked for first; where the
    // system refuses it, the raw socket opened instead serves the later echoes too.
    for (const bool datagram_sockets : {true, false}) {
        const IsolatedOutcome outcome =
            ping_in_own_namespace({.datagram_sockets = datagram_sockets, .echoes = 3});
        if (!outcome.isolated) GTEST_SKIP() << "no network namespace of our own here";
        EXPECT_FALSE(outcome.raised) << outcome.message;
        EXPECT_EQ(outcome.calls, 3) << datagram_sockets;
        EXPECT_EQ(outcome.status, static_cast<int>(EchoStatus::echo_reply)) << datagram_sockets;
        EXPECT_EQ(outcome.datagram_sockets, datagram_sockets ? 1 : 0);
        EXPECT_EQ(outcome.raw_sockets, datagram_sockets ? 0 : 1);
    }
}

TEST(IcmpEcho, UnreachableAnswerEndsTheWaitOnEitherKindOfSocket) {
    // A datagram ping socket gets it through its error queue, a raw socket as a message.
    for (const bool datagram_sockets : {true, false}) {
        const IsolatedOutcome outcome = ping_in_own_namespace(
            {.answer_echoes = false, .datagram_sockets = datagram_sockets, .unreachable = true});
        if (!outcome.isolated) GTEST_SKIP() << "no network namespace of our own here";
        EXPECT_FALSE(outcome.raised) << outcome.message;
        EXPECT_EQ(outcome.calls, 1) << datagram_sockets;
        EXPECT_EQ(outcome.status, static_cast<int>(EchoStatus::unreachable)) << datagram_sockets;
        EXPECT_LT(outcome.ms_time, 5000u) << datagram_sockets;
    }
}

TEST(IcmpEcho, NoSocketOfEitherKindRaisesASocketErrorWithoutHandlerCall) {
    const IsolatedOutcome outcome =
        ping_in_own_namespace({.datagram_sockets = false, .unprivileged = true});
    if (!outcome.isolated) GTEST_SKIP() << "no network namespace of our own here";
    EXPECT_TRUE(outcome.raised);
    EXPECT_EQ(outcome.calls, 0);
    EXPECT_EQ(std::string(outcome.message),
              "Socket Error # " + std::to_string(EPERM) + "\n" + std::strerror(EPERM));
}

}  // namespace
