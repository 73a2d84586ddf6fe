#include "platform/net/icmp_echo.h"

#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>

#include "platform/core/errors.h"
#include "platform/net/icmp_echo_packet.h"
#include "platform/net/resolver.h"
#include "platform/net/socket_receive.h"

namespace kvtu::net {

namespace {

using clock = std::chrono::steady_clock;

constexpr int time_to_live = 128;
// Data of our own in every request: an answer that brings it back unchanged is whole.
constexpr std::string_view payload = "kvtu echo probe.";
constexpr std::size_t receive_buffer_size = 4096;

// The identifier tells our answers from those of other programs pinging at the same time (a
// raw socket sees all of them). A random start per process, then one per echo object, so that
// a late answer to one object's echo is never taken by another's.
std::uint16_t next_identifier() {
    static std::atomic<std::uint16_t> next{static_cast<std::uint16_t>(std::random_device{}())};
    std::uint16_t identifier = 0;
    while (identifier == 0) identifier = next.fetch_add(1);  // 0 marks an object without one
    return identifier;
}

void set_option(int handle, int level, int name, const void* value, socklen_t size) {
    if (setsockopt(handle, level, name, value, size) != 0) {
        const int error = errno;
        close(handle);
        throw_socket_error(error);
    }
}

EchoSocket open_echo_socket() {
    // A datagram ping socket needs no privilege where the system allows it for our group;
    // elsewhere a raw socket does the same, given the right to open one.
    EchoSocket echo;
    echo.handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (echo.handle < 0) {
        if (errno != EACCES && errno != EPERM && errno != EPROTONOSUPPORT &&
            errno != ESOCKTNOSUPPORT) {
            throw_socket_error(errno);
        }
        echo.handle = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (echo.handle < 0) throw_socket_error(errno);
        echo.raw = true;
    }
    const int ttl = time_to_live;
    set_option(echo.handle, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
    if (echo.raw) {
        // A raw socket sees every ICMP message of the system; only the kinds that can answer
        // an echo are let through, so that the others do not fill its queue between echoes.
        icmp_filter kinds{};
        kinds.data = ~((1u << icmp::echo_reply_type) | (1u << icmp::unreachable_type) |
                       (1u << icmp::time_exceeded_type));
        set_option(echo.handle, SOL_RAW, ICMP_FILTER, &kinds, sizeof kinds);
    } else {
        // Error answers to a datagram ping socket come through its error queue, with the
        // request they quote.
        const int on = 1;
        set_option(echo.handle, IPPROTO_IP, IP_RECVERR, &on, sizeof on);
    }
    return echo;
}

// Drops what arrived since the last echo (a late answer to it, or other programs' messages that
// a raw socket sees), so that the next answer finds room on the socket and is read first.
void drop_waiting(const EchoSocket& echo) {
    if (!echo.raw) drop_queued_errors(echo.handle);
    drop_queued(echo.handle);
}

EchoStatus status_of(icmp::Answer answer) {
    switch (answer) {
        case icmp::Answer::echo_reply:
            return EchoStatus::echo_reply;
        case icmp::Answer::unreachable:
            return EchoStatus::unreachable;
        case icmp::Answer::time_exceeded:
            return EchoStatus::time_exceeded;
        default:
            throw_socket_error(EPROTO);
    }
}

// Sends the request; returns it as it went out, with the identifier the kernel chose for a
// datagram ping socket (which numbers its echoes itself and hands it only their answers).
std::string send_request(const EchoSocket& echo, const sockaddr_in& destination,
                         std::string request) {
    const ssize_t sent =
        sendto(echo.handle, request.data(), request.size(), 0,
               reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent < 0) throw_socket_error(errno);
    if (!echo.raw) {
        sockaddr_in local{};
        socklen_t size = sizeof local;
        if (getsockname(echo.handle, reinterpret_cast<sockaddr*>(&local), &size) != 0) {
            throw_socket_error(errno);
        }
        icmp::set_identifier(request, ntohs(local.sin_port));
    }
    return request;
}

// One entry of a datagram ping socket's error queue: the request it quotes and where the error
// came from. An error the local system raised is a socket error like any other; so is
// `reported`, the error a receive reported, when the queue holds nothing that explains it.
icmp::Answer read_error_queue(int handle, std::string_view request, int reported) {
    std::array<char, receive_buffer_size> quoted;
    std::array<char, 512> control;
    iovec part{quoted.data(), quoted.size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    const ssize_t length = recvmsg(handle, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (length < 0) {
        if (errno == EINTR) return icmp::Answer::not_ours;
        if (errno == EAGAIN || errno == EWOULDBLOCK) throw_socket_error(reported);
        throw_socket_error(errno);
    }
    for (cmsghdr* entry = CMSG_FIRSTHDR(&message); entry != nullptr;
         entry = CMSG_NXTHDR(&message, entry)) {
        if (entry->cmsg_level != IPPROTO_IP || entry->cmsg_type != IP_RECVERR) continue;
        const auto* error = reinterpret_cast<const sock_extended_err*>(CMSG_DATA(entry));
        if (error->ee_origin != SO_EE_ORIGIN_ICMP)
            throw_socket_error(static_cast<int>(error->ee_errno));
        const std::string_view request_seen(quoted.data(), static_cast<std::size_t>(length));
        if (request_seen.size() < icmp::header_size ||
            icmp::sequence_of(request_seen) != icmp::sequence_of(request)) {
            return icmp::Answer::not_ours;
        }
        if (error->ee_type == icmp::unreachable_type) return icmp::Answer::unreachable;
        if (error->ee_type == icmp::time_exceeded_type) return icmp::Answer::time_exceeded;
        return icmp::Answer::unusable;
    }
    return icmp::Answer::not_ours;
}

// Waits until the deadline for the answer to `request`, in receives that block up to the time
// left. An error answer to a datagram ping socket ends its receive with the error, and waits in
// the error queue with the request it quotes.
EchoStatus wait_for_answer(EchoSocket& echo, std::string_view request, clock::time_point deadline) {
    std::array<char, receive_buffer_size> buffer;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
        if (left.count() <= 0) return EchoStatus::timed_out;
        set_receive_wait(echo.handle, static_cast<int>(left.count()), echo.wait_ms);
        const ssize_t length = recv(echo.handle, buffer.data(), buffer.size(), 0);
        icmp::Answer answer = icmp::Answer::not_ours;
        if (length >= 0) {
            std::string_view received(buffer.data(), static_cast<std::size_t>(length));
            if (echo.raw) received = icmp::icmp_of_datagram(received);
            answer = icmp::classify(received, request);
        } else if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
            // Interrupted, or the socket's time-out ended: the loop looks at the time left.
        } else if (!echo.raw) {
            answer = read_error_queue(echo.handle, request, errno);
        } else {
            throw_socket_error(errno);
        }
        if (answer != icmp::Answer::not_ours) return status_of(answer);
    }
}

}  // namespace

IcmpEcho::~IcmpEcho() {
    if (socket_.handle >= 0) close(socket_.handle);
}

void IcmpEcho::set_host(const std::string& host) {
    host_ = host;
}
void IcmpEcho::set_port(int port) {
    port_ = port;
}
void IcmpEcho::set_receive_timeout(int milliseconds) {
    receive_timeout_ = milliseconds;
}

void IcmpEcho::ping() {
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr = resolve_host(host_);
    if (identifier_ == 0) identifier_ = next_identifier();
    ++sequence_;

    if (socket_.handle < 0) socket_ = open_echo_socket();
    drop_waiting(socket_);
    const auto started = clock::now();
    const std::string request =
        send_request(socket_, destination, icmp::echo_request(identifier_, sequence_, payload));
    // A negative time-out is no wait at all, never a wait without end.
    const auto deadline = started + std::chrono::milliseconds(std::max(receive_timeout_, 0));
    EchoReply reply;
    reply.status = wait_for_answer(socket_, request, deadline);
    const auto waited =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock::now() - started);
    reply.ms_time = static_cast<std::uint32_t>(waited.count());
    if (on_reply) on_reply(reply);
}

}  // namespace kvtu::net
