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
#include <optional>
#include <string_view>

#include "platform/core/errors.h"
#include "platform/net/resolver.h"

namespace kvtu::net {

namespace {

// A reply longer than this is no FTP reply; reading on would only fill the memory.
constexpr std::size_t max_reply_size = 1 << 20;
// Listings are text; a server that sends more is broken or hostile.
constexpr std::size_t max_listing_size = 64u << 20;
constexpr std::size_t data_block_size = 64 * 1024;

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

// Waits until the descriptor is ready for `events`; an expired wait is a timed-out connection.
void wait_ready(int handle, short events, int timeout_ms) {
    for (;;) {
        pollfd waiting{handle, events, 0};
        const int ready = poll(&waiting, 1, timeout_ms);
        if (ready > 0) return;
        if (ready == 0) throw_socket_error(ETIMEDOUT);
        if (errno != EINTR) throw_socket_error(errno);
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

Descriptor open_connection(const sockaddr_in& address, int timeout_ms) {
    Descriptor connection = stream_socket();
    if (connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
        0) {
        if (errno != EINPROGRESS && errno != EINTR) throw_socket_error(errno);
        wait_ready(connection.get(), POLLOUT, timeout_ms);
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(connection.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
            throw_socket_error(errno);
        }
        if (error != 0) throw_socket_error(error);
    }
    return connection;
}

void send_all(int handle, std::string_view bytes, int timeout_ms) {
    while (!bytes.empty()) {
        const ssize_t sent = send(handle, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            wait_ready(handle, POLLOUT, timeout_ms);
        } else if (errno != EINTR) {
            throw_socket_error(errno);
        }
    }
}

// Some bytes, or none when the other side has closed.
std::size_t receive_some(int handle, char* buffer, std::size_t size, int timeout_ms) {
    for (;;) {
        const ssize_t received = recv(handle, buffer, size, 0);
        if (received >= 0) return static_cast<std::size_t>(received);
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            wait_ready(handle, POLLIN, timeout_ms);
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

// The address and port of a PASV reply: six numbers "h1,h2,h3,h4,p1,p2".
std::optional<sockaddr_in> passive_address(std::string_view text) {
    for (std::size_t start = 0; start < text.size(); ++start) {
        if (text[start] < '0' || text[start] > '9') continue;
        std::array<int, 6> numbers{};
        std::size_t at = start;
        bool complete = true;
        for (std::size_t i = 0; i < numbers.size() && complete; ++i) {
            if (i > 0) {
                if (at >= text.size() || text[at] != ',') complete = false;
                ++at;
            }
            const std::size_t digits_start = at;
            int value = 0;
            while (complete && at < text.size() && text[at] >= '0' && text[at] <= '9' &&
                   at - digits_start < 3) {
                value = value * 10 + (text[at] - '0');
                ++at;
            }
            if (at == digits_start || value > 255) complete = false;
            numbers[i] = value;
        }
        if (!complete) continue;
        in_addr host{};
        host.s_addr = htonl(static_cast<std::uint32_t>(numbers[0]) << 24 |
                            static_cast<std::uint32_t>(numbers[1]) << 16 |
                            static_cast<std::uint32_t>(numbers[2]) << 8 |
                            static_cast<std::uint32_t>(numbers[3]));
        return address_of(host, numbers[4] * 256 + numbers[5]);
    }
    return std::nullopt;
}

std::string port_argument(const sockaddr_in& address) {
    const std::uint32_t host = ntohl(address.sin_addr.s_addr);
    const int port = ntohs(address.sin_port);
    return std::to_string(host >> 24) + "," + std::to_string((host >> 16) & 0xff) + "," +
           std::to_string((host >> 8) & 0xff) + "," + std::to_string(host & 0xff) + "," +
           std::to_string(port >> 8) + "," + std::to_string(port & 0xff);
}

bool is_reply_code(std::string_view line) {
    return line.size() >= 3 &&
           std::all_of(line.begin(), line.begin() + 3, [](char c) { return c >= '0' && c <= '9'; });
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

void FtpClient::set_read_timeout(int milliseconds) {
    read_timeout_ = std::max(milliseconds, 1);
}

void FtpClient::close_control() {
    if (control_ >= 0) close(control_);
    control_ = -1;
    received_.clear();
}

void FtpClient::disconnect() {
    close_control();
}

void FtpClient::require_connection() const {
    if (!connected()) throw FtpError(not_connected_message());
}

void FtpClient::send_command(const std::string& command) {
    check_argument(command);
    try {
        send_all(control_, command + "\r\n", read_timeout_);
    } catch (...) {
        close_control();
        throw;
    }
}

// One reply, single- or multi-line ("123-first" ... "123 last"). Whatever goes wrong while
// reading leaves the conversation in an unknown state, so the connection is closed then.
FtpClient::Reply FtpClient::read_reply() {
    try {
        std::size_t reply_size = 0;
        auto next_line = [this, &reply_size] {
            std::array<char, 4096> buffer;
            for (;;) {
                const std::size_t end = received_.find('\n');
                if (end != std::string::npos) {
                    std::string line = received_.substr(0, end);
                    received_.erase(0, end + 1);
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    reply_size += end + 1;
                    return line;
                }
                if (reply_size + received_.size() > max_reply_size) throw_socket_error(EPROTO);
                const std::size_t count =
                    receive_some(control_, buffer.data(), buffer.size(), read_timeout_);
                if (count == 0) throw_socket_error(ECONNRESET);
                received_.append(buffer.data(), count);
            }
        };

        const std::string first = next_line();
        if (!is_reply_code(first) || (first.size() > 3 && first[3] != ' ' && first[3] != '-')) {
            throw_socket_error(EPROTO);
        }
        Reply reply;
        reply.code = std::stoi(first.substr(0, 3));
        reply.text = first.size() > 4 ? first.substr(4) : std::string();
        if (first.size() > 3 && first[3] == '-') {
            const std::string code = first.substr(0, 3);
            for (;;) {
                const std::string line = next_line();
                const bool coded = line.compare(0, 3, code) == 0;
                const bool last = coded && (line.size() == 3 || line[3] == ' ');
                reply.text += '\n';
                reply.text += coded && line.size() > 3 && (last || line[3] == '-')
                                  ? line.substr(4)
                                  : (last ? std::string() : line);
                if (last) break;
            }
        }
        return reply;
    } catch (...) {
        close_control();
        throw;
    }
}

FtpClient::Reply FtpClient::command(const std::string& command) {
    send_command(command);
    return read_reply();
}

FtpClient::Reply FtpClient::expect(const std::string& command, std::initializer_list<int> codes) {
    const Reply reply = this->command(command);
    if (!one_of(reply.code, codes)) throw FtpError(reply.text);
    return reply;
}

void FtpClient::log_in(const std::string& user_name, const std::string& password) {
    const Reply reply = command("USER " + user_name);
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
        control_ =
            open_connection(address_of(resolve_host(target_host), target_port), read_timeout_)
                .release();
        Reply greeting = read_reply();
        while (greeting.code == 120) greeting = read_reply();  // "ready in a moment"
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
    Descriptor data;
    Descriptor listener;
    if (passive_) {
        const Reply reply = expect("PASV", {227});
        const std::optional<sockaddr_in> address = passive_address(reply.text);
        if (!address) throw_socket_error(EPROTO);
        data = open_connection(*address, read_timeout_);
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

    const Reply started = command(transfer_command);
    if (!one_of(started.code, {125, 150, 154})) throw FtpError(started.text);
    try {
        if (!passive_) {
            // Only the server may connect: anyone else could slip in data of their own.
            const in_addr server = peer_address(control_).sin_addr;
            while (data.get() < 0) {
                wait_ready(listener.get(), POLLIN, read_timeout_);
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
                receive_some(data.get(), block.data(), block.size(), read_timeout_);
            if (count == 0) break;
            sink(std::string_view(block.data(), count));
        }
    } catch (...) {
        // The server still owes the reply that ends the transfer; taking it keeps the next
        // command from reading it as its own. If that fails too, the connection is closed.
        data.reset();
        if (connected()) {
            try {
                read_reply();
            } catch (const Error&) {
            }
        }
        throw;
    }
    data.reset();
    const Reply finished = read_reply();
    if (!one_of(finished.code, {225, 226, 250})) throw FtpError(finished.text);
}

std::vector<FtpListItem> FtpClient::list(const std::string& pattern) {
    std::string listing;
    transfer(pattern.empty() ? std::string("LIST") : "LIST " + pattern,
             [&listing](std::string_view block) {
                 if (listing.size() + block.size() > max_listing_size) {
                     throw_socket_error(EMSGSIZE);
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
        transfer("RETR " + remote_name, [&file, &local_path](std::string_view block) {
            write_all(file.get(), block, local_path);
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
