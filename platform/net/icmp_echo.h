#pragma once
// One ICMP echo to a host, for the ping displays. The handler runs once per echo, before ping()
// returns, whatever ended the wait: an echo reply, a destination-unreachable or time-exceeded
// answer to this request, or the end of the time-out.
//
// The socket is opened at the first echo and kept for every later one until the object is
// released: an unprivileged datagram ping socket where the system allows it for our group, a
// raw socket otherwise. So the kind the system refused is asked for once, not at every echo.
#include <cstdint>
#include <functional>
#include <string>

namespace kvtu::net {

// An echo object's socket, kept from its first echo on.
struct EchoSocket {
    int handle = -1;
    bool raw = false;  // a raw socket, which sees every ICMP message of the system
    int wait_ms = -1;  // the socket's own receive time-out in ms; -1 none
};

enum class EchoStatus { echo_reply, unreachable, time_exceeded, timed_out };

struct EchoReply {
    EchoStatus status = EchoStatus::timed_out;
    std::uint32_t ms_time = 0;  // from just before the request to the end of the wait
};

class IcmpEcho {
  public:
    // The component's own default wait; the browser sets 2000 ms.
    static constexpr int default_receive_timeout_ms = 5000;

    IcmpEcho() = default;
    ~IcmpEcho();  // closes the socket
    IcmpEcho(const IcmpEcho&) = delete;
    IcmpEcho& operator=(const IcmpEcho&) = delete;

    void set_host(const std::string& host);
    void set_port(int port);  // kept, as the component carries one; ICMP has no ports
    void set_receive_timeout(int milliseconds);
    const std::string& host() const { return host_; }
    int port() const { return port_; }
    int receive_timeout() const { return receive_timeout_; }

    // Called once per echo with the outcome, inside ping().
    std::function<void(const EchoReply&)> on_reply;

    // Sends one echo request with no data of the caller's and waits for its answer. A host that
    // cannot be resolved, a socket that cannot be opened and an answer that cannot be used raise
    // SocketError instead of calling the handler.
    void ping();

  private:
    std::string host_;
    int port_ = 0;
    int receive_timeout_ = default_receive_timeout_ms;
    std::uint16_t identifier_ = 0;  // chosen at the first echo, distinct per echo object
    std::uint16_t sequence_ = 0;
    EchoSocket socket_;
};

}  // namespace kvtu::net
