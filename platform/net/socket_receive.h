#pragma once
// Receive routines shared by the datagram sockets of this layer (the status exchange's UDP
// socket and the echo's ICMP socket).

namespace kvtu::net {

// The marker for a socket without a receive time-out of its own, as a new socket is.
inline constexpr int no_receive_wait = -1;

// Makes the socket's own receive time-out `milliseconds`; 0 or less is none (a receive that
// must not wait asks for that with MSG_DONTWAIT). `current` holds the time-out the socket has
// now and is set only when it changes, so that a kept socket pays for it once. A failure
// raises SocketError and leaves `current` as it was.
void set_receive_wait(int handle, int milliseconds, int& current);

// Takes the datagrams waiting on the socket off its queue, or off its error queue, without
// waiting. At most as many are taken as a receive buffer of the usual size can hold, so that a
// host that keeps sending cannot keep the caller here; what is left is for the receive's own
// filter. Errors are left for the next receive to meet.
void drop_queued(int handle);
void drop_queued_errors(int handle);

}  // namespace kvtu::net
