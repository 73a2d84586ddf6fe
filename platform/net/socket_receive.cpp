#include "platform/net/socket_receive.h"

#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>

#include "platform/core/errors.h"

namespace kvtu::net {

namespace {

// More datagrams than a receive buffer of the usual size holds (each takes up some hundred
// bytes of it at least, however short).
constexpr int max_dropped = 1024;

void drop(int handle, int flags) {
    // A zero-length buffer with MSG_TRUNC takes a datagram of any size off the queue.
    for (int taken = 0; taken < max_dropped; ++taken) {
        if (recv(handle, nullptr, 0, flags | MSG_TRUNC | MSG_DONTWAIT) >= 0) continue;
        if (errno == EINTR) continue;
        // EAGAIN: the queue is empty.
        return;
    }
}

}  // namespace

void set_receive_wait(int handle, int milliseconds, int& current) {
    const int wanted = milliseconds > 0 ? milliseconds : no_receive_wait;
    if (wanted == current) return;
    // A zero time-out is none to the socket.
    timeval limit{};
    if (wanted > 0) {
        limit.tv_sec = wanted / 1000;
        limit.tv_usec = static_cast<suseconds_t>(wanted % 1000) * 1000;
    }
    if (setsockopt(handle, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) {
        throw_socket_error(errno);
    }
    current = wanted;
}

void drop_queued(int handle) {
    drop(handle, 0);
}

void drop_queued_errors(int handle) {
    drop(handle, MSG_ERRQUEUE);
}

}  // namespace kvtu::net
