#pragma once
// A UDP client for the status exchange: one IPv4 datagram socket, opened at activation and kept
// for every later exchange until the client is released. Its owner holds it (a form member, or
// an object adopted by a component of the query library's caller).
//
// A reply is taken only from the host and port the last datagram went to, and only once that
// datagram is sent: datagrams that were waiting before it (a late answer to an earlier exchange)
// are dropped at the send, so that one server's late answer never passes for another's.
#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kvtu::net {

class UdpClient {
  public:
    // The bounded wait for a reply, the same for every form of the exchange.
    static constexpr int default_receive_timeout_ms = 2000;
    static constexpr std::size_t buffer_size = 8192;
    using Buffer = std::array<char, buffer_size>;

    UdpClient();
    ~UdpClient();  // closes the socket
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;

    void set_host(const std::string& host);
    void set_port(int port);
    const std::string& host() const;
    int port() const;

    // Allocates the socket (broadcast off, no local binding); does nothing when active.
    void activate();
    bool active() const;

    // Resolves the host (dotted address as is, "localhost" in any case as 127.0.0.1, other names
    // through the resolver, first IPv4 address), drops the datagrams waiting on the socket and
    // sends the bytes as one datagram. A failed look-up or send raises SocketError.
    void send_text(const std::string& text);
    // Waits up to the receive time-out for one datagram from where the last send went; an
    // expired wait gives the empty text, and datagrams from elsewhere are dropped meanwhile.
    // A datagram longer than buffer_size, or any error the system reports, raises SocketError.
    std::string receive_text();
    // The same receive into the caller's buffer: the datagram's bytes as a view of it.
    std::string_view receive(Buffer& buffer);

    // Milliseconds; a negative value waits without limit.
    void set_receive_timeout(int milliseconds);
    int receive_timeout() const;

    // The local port the system gave the socket (0 while inactive or before the first send).
    int local_port() const;

  private:
    std::string host_;
    int port_ = 0;
    int socket_ = -1;
    int receive_timeout_ = default_receive_timeout_ms;
    int socket_wait_ = -1;  // the socket's own receive time-out in ms; -1 none
    // Where the last datagram went, the only sender a reply is taken from; unset before the
    // first send, when the socket has no local port and nothing can arrive.
    std::optional<sockaddr_in> destination_;
};

}  // namespace kvtu::net
