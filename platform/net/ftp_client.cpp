#include "platform/net/ftp_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <optional>
#include <string_view>

#include "platform/core/errors.h"
#include "platform/net/resolver.h"

namespace kvtu::net {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t control_block_size = 4096;
constexpr std::size_t data_block_size = 64 * 1024;

// A limit was reached. The connection is closed then, never kept for the next command: the
// server is behind in a conversation it may still go on with, and its late words would be
// taken as the answers to later commands.
class LimitReached : public FtpError {
  public:
    using FtpError::FtpError;
};

}  // namespace

class FtpDeadline {
  public:
    using Message = std::string (*)(long long milliseconds);

    FtpDeadline(std::chrono::milliseconds span, Message message)
        : end_(Clock::now() + span), span_(span), message_(message) {}

    static FtpDeadline sooner(const FtpDeadline& one, const FtpDeadline& other) {
        return one.end_ <= other.end_ ? one : other;
    }
    // Milliseconds left, rounded up so that no wait ends before the deadline; 0 once passed.
    int left_ms() const {
        const Clock::duration left = end_ - Clock::now();
        if (left <= Clock::duration::zero()) return 0;
        const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
        return static_cast<int>(
            std::min<std::int64_t>(milliseconds, std::numeric_limits<int>::max()));
    }
    bool passed() const { return Clock::now() >= end_; }
    [[noreturn]] void expire() const { throw LimitReached(message_(span_.count())); }

  private:
    Clock::time_point end_;
    std::chrono::milliseconds span_;
    Message message_;
};

namespace {

// Owns one descriptor.
class Descriptor {
  public:
    Descriptor() = default;
    explicit Descriptor(int handle) : handle_(handle) {}
    ~Descriptor() { reset(); }
    Descriptor(Descriptor&& other) noexcept : handle_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = other.release();
        }
        return *this;
    }
    int get() const { return handle_; }
    int release() {
        const int handle = handle_;
        handle_ = -1;
        return handle;
    }
    void reset() {
        if (handle_ >= 0) close(handle_);
        handle_ = -1;
    }

  private:
    int handle_ = -1;
};

// Waits until the descriptor is ready for `events`; a passed deadline raises its limit.
void wait_ready(int handle, short events, const FtpDeadline& deadline) {
    for (;;) {
        pollfd waiting{handle, events, 0};
        const int ready = poll(&waiting, 1, deadline.left_ms());
        if (ready > 0) return;
        if (ready == 0) {
            if (deadline.passed()) deadline.expire();
        } else if (errno != EINTR) {
            throw_socket_error(errno);
        }
    }
}

void check_port(int port) {
    // A port outside the 16-bit range would otherwise be cut silently to another one.
    if (port < 0 || port > 65535) throw_socket_error(EINVAL);
}

sockaddr_in address_of(in_addr host, int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr = host;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

Descriptor stream_socket() {
    Descriptor socket_handle(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (socket_handle.get() < 0) throw_socket_error(errno);
    return socket_handle;
}

Descriptor open_connection(const sockaddr_in& address, const FtpDeadline& deadline) {
    Descriptor connection = stream_socket();
    if (connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
        0) {
        if (errno != EINPROGRESS && errno != EINTR) throw_socket_error(errno);
        wait_ready(connection.get(), POLLOUT, deadline);
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(connection.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            throw_socket_error(errno);
        }
        if (error != 0) throw_socket_error(error);
    }
    return connection;
}

void send_all(int handle, std::string_view bytes, const FtpDeadline& deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = send(handle, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            wait_ready(handle, POLLOUT, deadline);
        } else if (errno != EINTR) {
            throw_socket_error(errno);
        }
    }
}

// Some bytes, or none when the other side has closed.
std::size_t receive_some(int handle, char* buffer, std::size_t size, const FtpDeadline& deadline) {
    for (;;) {
        const ssize_t received = recv(handle, buffer, size, 0);
        if (received >= 0) return static_cast<std::size_t>(received);
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            wait_ready(handle, POLLIN, deadline);
        } else if (errno != EINTR) {
            throw_socket_error(errno);
        }
    }
}

sockaddr_in local_address(int handle) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getsockname(handle, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw_socket_error(errno);
    }
    return address;
}

sockaddr_in peer_address(int handle) {
    sockaddr_in address{};
    socklen_t size = sizeof address;
    if (getpeername(handle, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw_socket_error(errno);
    }
    return address;
}

// A line break inside an argument would end the command early and smuggle the rest in as a
// command of its own.
void check_argument(std::string_view text) {
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        throw_socket_error(EINVAL);
    }
}

bool one_of(int code, std::initializer_list<int> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

std::string port_argument(const sockaddr_in& address) {
    const std::uint32_t host = ntohl(address.sin_addr.s_addr);
    const int port = ntohs(address.sin_port);
    return std::to_string(host >> 24) + "," + std::to_string((host >> 16) & 0xff) + "," +
           std::to_string((host >> 8) & 0xff) + "," + std::to_string(host & 0xff) + "," +
           std::to_string(port >> 8) + "," + std::to_string(port & 0xff);
}

void write_all(int handle, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        const ssize_t written = write(handle, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            throw FileError(cannot_write_file_message(path, errno));
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace

FtpClient::~FtpClient() {
    close_control();
}

void FtpClient::close_control() {
    if (control_ >= 0) close(control_);
    control_ = -1;
    replies_.clear();
}

void FtpClient::disconnect() {
    close_control();
}

void FtpClient::require_connection() const {
    if (!connected()) throw FtpError(not_connected_message());
}

void FtpClient::send_command(const std::string& command, const FtpDeadline& deadline) {
    check_argument(command);
    try {
        send_all(control_, command + "\r\n", deadline);
    } catch (...) {
        close_control();
        throw;
    }
}

// Whatever goes wrong while reading leaves the conversation in an unknown state, so the
// connection is closed then.
FtpReply FtpClient::take_reply(const FtpDeadline& deadline) {
    try {
        for (;;) {
            if (std::optional<FtpReply> reply = replies_.take()) return std::move(*reply);
            std::array<char, control_block_size> buffer;
            const std::size_t count =
                receive_some(control_, buffer.data(), buffer.size(), deadline);
            if (count == 0) throw_socket_error(ECONNRESET);
            replies_.add(std::string_view(buffer.data(), count));
        }
    } catch (...) {
        close_control();
        throw;
    }
}

FtpReply FtpClient::read_reply(const FtpDeadline& deadline) {
    replies_.start(limits_.reply_size);
    return take_reply(deadline);
}

FtpReply FtpClient::command(const std::string& command) {
    const FtpDeadline deadline(limits_.reply_time, ftp_reply_time_message);
    send_command(command, deadline);
    return read_reply(deadline);
}

FtpReply FtpClient::expect(const std::string& command, std::initializer_list<int> codes) {
    FtpReply reply = this->command(command);
    if (!one_of(reply.code, codes)) throw FtpError(reply.text);
    return reply;
}

void FtpClient::log_in(const std::string& user_name, const std::string& password) {
    const FtpReply reply = command("USER " + user_name);
    if (reply.code == 230) return;
    if (reply.code != 331) throw FtpError(reply.text);
    expect("PASS " + password, {230});
}

void FtpClient::connect() {
    if (connected()) {
        close_control();
        throw FtpError(already_connected_message());
    }
    const bool proxy = proxy_type_ == FtpProxyType::user_at_host;
    const bool via_proxy_host = proxy && !proxy_host_.empty();
    const std::string& target_host = via_proxy_host ? proxy_host_ : host_;
    const int target_port = via_proxy_host ? proxy_port_ : port_;
    try {
        check_port(target_port);
        const sockaddr_in address = address_of(resolve_host(target_host), target_port);
        // A server that takes the connection greets at once; the connect and the greeting
        // share one limit.
        const FtpDeadline greeting_deadline(limits_.greeting_time, ftp_greeting_time_message);
        control_ = open_connection(address, greeting_deadline).release();
        replies_.start(limits_.reply_size);
        FtpReply greeting = take_reply(greeting_deadline);
        // "Ready in a moment": these count into the greeting's time and size, so that no
        // number of them holds the window.
        while (greeting.code == 120) greeting = take_reply(greeting_deadline);
        if (greeting.code != 220) throw FtpError(greeting.text);
        if (proxy) {
            if (!proxy_user_name_.empty()) log_in(proxy_user_name_, proxy_password_);
            log_in(user_name_ + "@" + host_, password_);
        } else {
            log_in(user_name_, password_);
        }
        expect("TYPE I", {200});
        expect("SYST", {200, 215, 500});
    } catch (...) {
        close_control();
        throw;
    }
}

void FtpClient::change_folder(const std::string& folder) {
    require_connection();
    expect("CWD " + folder, {200, 250});
}

template <typename Sink>
void FtpClient::transfer(const std::string& transfer_command, Sink&& sink) {
    require_connection();
    check_argument(transfer_command);
    try {
        const FtpDeadline whole(limits_.transfer_time, ftp_transfer_time_message);
        // A wait of the data channel ends when it has been idle too long or when the whole
        // transfer has taken too long, whichever comes first.
        const auto data_wait = [this, &whole] {
            return FtpDeadline::sooner(
                FtpDeadline(limits_.transfer_idle_time, ftp_transfer_idle_message), whole);
        };
        Descriptor data;
        Descriptor listener;
        if (passive_) {
            const FtpReply reply = expect("PASV", {227});
            const std::optional<std::uint16_t> port = passive_port(reply.text);
            if (!port) {
                close_control();
                throw FtpError(ftp_passive_reply_message());
            }
            // Only the port is taken from the reply: the data goes to the server that this
            // connection already talks to. An address in the reply could name any host, and a
            // server could probe ports through this machine with it.
            sockaddr_in server = peer_address(control_);
            server.sin_port = htons(*port);
            data = open_connection(server, data_wait());
        } else {
            // Listen where the server already reaches us: the control connection's own address.
            listener = stream_socket();
            sockaddr_in here = local_address(control_);
            here.sin_port = 0;
            if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&here), sizeof here) != 0 ||
                listen(listener.get(), 1) != 0) {
                throw_socket_error(errno);
            }
            expect("PORT " + port_argument(local_address(listener.get())), {200});
        }

        const FtpReply started = command(transfer_command);
        if (!one_of(started.code, {125, 150, 154})) throw FtpError(started.text);
        try {
            if (!passive_) {
                // Only the server may connect: anyone else could slip in data of their own.
                const in_addr server = peer_address(control_).sin_addr;
                const FtpDeadline accepting = data_wait();
                while (data.get() < 0) {
                    wait_ready(listener.get(), POLLIN, accepting);
                    Descriptor incoming(
                        accept4(listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
                    if (incoming.get() < 0) {
                        if (errno == EINTR || errno == EAGAIN || errno == ECONNABORTED) continue;
                        throw_socket_error(errno);
                    }
                    if (peer_address(incoming.get()).sin_addr.s_addr == server.s_addr) {
                        data = std::move(incoming);
                    }
                }
                listener.reset();
            }
            std::array<char, data_block_size> block;
            for (;;) {
                const std::size_t count =
                    receive_some(data.get(), block.data(), block.size(), data_wait());
                if (count == 0) break;
                sink(std::string_view(block.data(), count));
            }
        } catch (const LimitReached&) {
            throw;
        } catch (...) {
            // The server still owes the reply that ends the transfer; taking it keeps the next
            // command from reading it as its own. If that fails too, the connection is closed.
            data.reset();
            if (connected()) {
                try {
                    read_reply(FtpDeadline(limits_.reply_time, ftp_reply_time_message));
                } catch (const Error&) {
                }
            }
            throw;
        }
        data.reset();
        const FtpReply finished =
            read_reply(FtpDeadline(limits_.reply_time, ftp_reply_time_message));
        if (!one_of(finished.code, {225, 226, 250})) throw FtpError(finished.text);
    } catch (const LimitReached&) {
        close_control();
        throw;
    }
}

std::vector<FtpListItem> FtpClient::list(const std::string& pattern) {
    std::string listing;
    transfer(pattern.empty() ? std::string("LIST") : "LIST " + pattern,
             [this, &listing](std::string_view block) {
                 if (block.size() > limits_.listing_size - listing.size()) {
                     throw LimitReached(ftp_listing_size_message(limits_.listing_size));
                 }
                 listing.append(block);
             });
    return parse_ftp_listing(listing);
}

void FtpClient::download(const std::string& remote_name, const std::string& local_path) {
    require_connection();
    check_argument(remote_name);
    struct stat existing {};
    if (lstat(local_path.c_str(), &existing) == 0) {
        throw FtpError(destination_file_exists_message());
    }
    Descriptor file(open(local_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        if (errno == EEXIST) throw FtpError(destination_file_exists_message());
        throw FileError(cannot_create_file_message(local_path, errno));
    }
    try {
        std::uint64_t received = 0;
        transfer("RETR " + remote_name, [&](std::string_view block) {
            if (block.size() > limits_.download_size - received) {
                throw LimitReached(ftp_download_size_message(limits_.download_size));
            }
            write_all(file.get(), block, local_path);
            received += block.size();
        });
        if (close(file.release()) != 0) {
            throw FileError(cannot_write_file_message(local_path, errno));
        }
    } catch (...) {
        // A part of a file would pass for the whole of it; only a complete copy stays.
        file.reset();
        unlink(local_path.c_str());
        throw;
    }
}

}  // namespace kvtu::net
