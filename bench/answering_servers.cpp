#include "answering_servers.h"

#include <arpa/inet.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace kvtu::bench {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("answering servers: " + what + ": " + std::strerror(errno));
}

int bound_socket(int port) {
    const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (handle < 0) fail("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(handle);
        fail("bind to port " + std::to_string(port));
    }
    return handle;
}

int port_of(int handle) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size) != 0) fail("getsockname");
    return ntohs(address.sin_port);
}

}  // namespace

AnsweringServers::AnsweringServers(std::size_t count, std::string reply, int port)
    : reply_(std::move(reply)) {
    poller_ = epoll_create1(EPOLL_CLOEXEC);
    stop_event_ = eventfd(0, EFD_CLOEXEC);
    if (poller_ < 0 || stop_event_ < 0) fail("epoll");
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = stop_event_;
    if (epoll_ctl(poller_, EPOLL_CTL_ADD, stop_event_, &stop) != 0) fail("epoll_ctl");
    for (std::size_t i = 0; i < count; ++i) {
        const int handle = bound_socket(port);
        sockets_.push_back(handle);
        ports_.push_back(port_of(handle));
        epoll_event ready{};
        ready.events = EPOLLIN;
        ready.data.fd = handle;
        if (epoll_ctl(poller_, EPOLL_CTL_ADD, handle, &ready) != 0) fail("epoll_ctl");
    }
    thread_ = std::thread([this] { serve(); });
}

AnsweringServers::~AnsweringServers() {
    const std::uint64_t one = 1;
    if (write(stop_event_, &one, sizeof one) != sizeof one) std::terminate();
    thread_.join();
    for (const int handle : sockets_) close(handle);
    close(stop_event_);
    close(poller_);
}

void AnsweringServers::serve() {
    std::array<epoll_event, 64> events;
    std::array<char, 65536> buffer;
    for (;;) {
        const int ready = epoll_wait(poller_, events.data(), events.size(), -1);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        for (int i = 0; i < ready; ++i) {
            const int handle = events[static_cast<std::size_t>(i)].data.fd;
            if (handle == stop_event_) return;
            for (;;) {
                sockaddr_in sender{};
                socklen_t size = sizeof sender;
                const ssize_t length = recvfrom(handle, buffer.data(), buffer.size(), 0,
                                                reinterpret_cast<sockaddr*>(&sender), &size);
                if (length < 0) break;
                sendto(handle, reply_.data(), reply_.size(), 0,
                       reinterpret_cast<sockaddr*>(&sender), size);
            }
        }
    }
}

}  // namespace kvtu::bench
