#include "platform/net/udp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>

#include "platform/core/errors.h"
#include "platform/net/resolver.h"

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
    const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (handle < 0) throw_socket_error(errno);
    const int off = 0;
    if (setsockopt(handle, SOL_SOCKET, SO_BROADCAST, &off, sizeof off) != 0) {
        const int error = errno;
        close(handle);
        throw_socket_error(error);
    }
    socket_ = handle;
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
    const ssize_t sent =
        sendto(socket_, text.data(), text.size(), 0,
               reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    if (sent < 0) throw_socket_error(errno);
}

std::string UdpClient::receive_text() {
    activate();
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(receive_timeout_);
    std::array<char, buffer_size> buffer;
    for (;;) {
        int wait_ms = -1;
        if (receive_timeout_ >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - clock::now());
            wait_ms = left.count() > 0 ? static_cast<int>(left.count()) : 0;
        }
        pollfd waiting{socket_, POLLIN, 0};
        const int ready = poll(&waiting, 1, wait_ms);
        if (ready == 0) return {};
        if (ready < 0) {
            if (errno == EINTR) continue;
            throw_socket_error(errno);
        }

        // MSG_TRUNC makes the kernel report the datagram's real length, so a longer one is
        // noticed instead of being handed on cut to the buffer's size; it is consumed either
        // way. MSG_DONTWAIT keeps a wake-up without a datagram from blocking past the time-out.
        const ssize_t length = recvfrom(socket_, buffer.data(), buffer.size(),
                                        MSG_TRUNC | MSG_DONTWAIT, nullptr, nullptr);
        if (length < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            throw_socket_error(errno);
        }
        if (static_cast<std::size_t>(length) > buffer.size()) throw_socket_error(EMSGSIZE);
        return std::string(buffer.data(), static_cast<std::size_t>(length));
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
