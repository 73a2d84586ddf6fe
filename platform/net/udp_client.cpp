#include "platform/net/udp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>

#include "platform/core/errors.h"
#include "platform/net/resolver.h"
#include "platform/net/socket_receive.h"

namespace kvtu::net {

UdpClient::UdpClient() = default;

UdpClient::~UdpClient() {
    if (socket_ >= 0) close(socket_);
}

void UdpClient::set_host(const std::string& host) {
    host_ = host;
}
void UdpClient::set_port(int port) {
    port_ = port;
}
const std::string& UdpClient::host() const {
    return host_;
}
int UdpClient::port() const {
    return port_;
}

void UdpClient::activate() {
    if (socket_ >= 0) return;
    // A new socket has broadcasting off and no local port until its first send.
    const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (handle < 0) throw_socket_error(errno);
    socket_ = handle;
    socket_wait_ = no_receive_wait;
    destination_.reset();
}

bool UdpClient::active() const {
    return socket_ >= 0;
}

void UdpClient::send_text(const std::string& text) {
    activate();
    // A port outside the 16-bit range would otherwise be cut silently to another destination.
    if (port_ < 0 || port_ > 65535) throw_socket_error(EINVAL);
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(static_cast<std::uint16_t>(port_));
    destination.sin_addr = resolve_host(host_);
    // Before the first send the socket has no port, so nothing can be waiting.
    if (destination_) drop_queued(socket_);
    const ssize_t sent =
        sendto(socket_, text.data(), text.size(), 0,
               reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent < 0) throw_socket_error(errno);
    destination_ = destination;
}

std::string UdpClient::receive_text() {
    Buffer buffer;
    return std::string(receive(buffer));
}

std::string_view UdpClient::receive(Buffer& buffer) {
    activate();
    using clock = std::chrono::steady_clock;
    const bool limited = receive_timeout_ >= 0;
    const auto deadline =
        limited ? clock::now() + std::chrono::milliseconds(receive_timeout_) : clock::time_point{};
    const auto time_left = [&] {
        if (!limited) return -1;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
        return left.count() > 0 ? static_cast<int>(left.count()) : 0;
    };
    // The first wait is the whole time-out, so that a reply in time costs one look at the clock;
    // a wait that goes on takes what is left of it.
    for (int wait_ms = limited ? receive_timeout_ : -1;; wait_ms = time_left()) {
        // A wait that has run out still takes a datagram that is already there.
        if (wait_ms != 0) set_receive_wait(socket_, wait_ms, socket_wait_);

        // MSG_TRUNC makes the kernel report the datagram's real length, so a longer one is
        // noticed instead of being handed on cut to the buffer's size; it is consumed either
        // way.
        sockaddr_in sender{};
        socklen_t sender_size = sizeof sender;
        const ssize_t length = recvfrom(socket_, buffer.data(), buffer.size(),
                                        MSG_TRUNC | (wait_ms == 0 ? MSG_DONTWAIT : 0),
                                        reinterpret_cast<sockaddr*>(&sender), &sender_size);
        if (length < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // The socket's time-out counts in the system's clock ticks and may end a little
                // before the wait's own end: the loop looks at the time left.
                if (wait_ms == 0) return {};
                continue;
            }
            throw_socket_error(errno);
        }
        if (!destination_ || sender.sin_family != AF_INET ||
            sender.sin_addr.s_addr != destination_->sin_addr.s_addr ||
            sender.sin_port != destination_->sin_port) {
            // Not the queried host's: dropped, and the wait goes on while it lasts.
            if (wait_ms == 0) return {};
            continue;
        }
        if (static_cast<std::size_t>(length) > buffer.size()) throw_socket_error(EMSGSIZE);
        return {buffer.data(), static_cast<std::size_t>(length)};
    }
}

void UdpClient::set_receive_timeout(int milliseconds) {
    receive_timeout_ = milliseconds;
}
int UdpClient::receive_timeout() const {
    return receive_timeout_;
}

int UdpClient::local_port() const {
    if (socket_ < 0) return 0;
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
    return ntohs(local.sin_port);
}

}  // namespace kvtu::net
