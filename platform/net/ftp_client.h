#pragma once
// An FTP client for fetching files from a server: log-in (directly or through a proxy that takes
// "user@host" as the user name), binary transfers, change of folder, detailed listing and
// download. It never uploads and never sends QUIT: disconnecting closes the control connection.
//
// Waits and sizes: every wait and every amount taken in is bounded by FtpLimits. Reaching a
// limit closes the connection and raises FtpError with a message that names the limit; a
// partly written download is removed.
//
// Errors: a reply other than the ones an operation expects raises FtpError with the server's
// reply text (without the reply code; the lines of a multi-line reply joined by line breaks);
// system and network failures raise SocketError, local file failures FileError. A failed
// log-in closes the connection again.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net/ftp_listing.h"
#include "platform/net/ftp_reply.h"

namespace kvtu::net {

enum class FtpProxyType {
    none,
    user_at_host,  // log in to the proxy with "user@host" as the user name
};

// Every bound on what a server can make the client wait for or take in, in one place. The
// server is the user's own, but what it sends is still input from the network: none of it may
// hold the window for long or fill the disk.
struct FtpLimits {
    // Opening the control connection and reading the greeting, "120" preliminaries included.
    std::chrono::milliseconds greeting_time{30'000};
    // Each whole reply, from sending its command to its last line, however its lines trickle.
    std::chrono::milliseconds reply_time{30'000};
    // Each whole reply in bytes, all lines counted (and the greeting's preliminaries with it):
    // real replies are a few lines; more is a server that talks without end.
    std::size_t reply_size = 64 * 1024;
    // A data connection that opens, or delivers, nothing for this long.
    std::chrono::milliseconds transfer_idle_time{30'000};
    // A whole transfer, from asking for the data connection to its last byte: a server that
    // sends a byte now and then never falls idle, yet must not hold the window for ever.
    std::chrono::milliseconds transfer_time{120'000};
    // A folder listing: some hundred thousand names fit many times over.
    std::uint64_t listing_size = 64u << 20;
    // A download. The browser fetches configuration files: text of a few kilobytes, and even
    // one that names every mission and banned player stays far below a megabyte. 16 MiB leaves
    // room for any real one, while no server can fill the disk or hand the editor a huge file.
    std::uint64_t download_size = 16u << 20;
};

class FtpDeadline;  // the end of one bounded wait (ftp_client.cpp)

class FtpClient {
  public:
    static constexpr int default_port = 21;

    FtpClient() = default;
    ~FtpClient();  // closes the control connection, without QUIT
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    void set_host(const std::string& host) { host_ = host; }
    void set_port(int port) { port_ = port; }
    void set_user_name(const std::string& user_name) { user_name_ = user_name; }
    void set_password(const std::string& password) { password_ = password; }
    void set_passive(bool passive) { passive_ = passive; }
    void set_proxy_type(FtpProxyType type) { proxy_type_ = type; }
    void set_proxy_host(const std::string& host) { proxy_host_ = host; }
    void set_proxy_port(int port) { proxy_port_ = port; }
    // Empty: the proxy needs no log-in of its own.
    void set_proxy_user_name(const std::string& user_name) { proxy_user_name_ = user_name; }
    void set_proxy_password(const std::string& password) { proxy_password_ = password; }
    void set_limits(const FtpLimits& limits) { limits_ = limits; }

    const std::string& host() const { return host_; }
    int port() const { return port_; }
    const std::string& user_name() const { return user_name_; }
    bool passive() const { return passive_; }
    FtpProxyType proxy_type() const { return proxy_type_; }
    const std::string& proxy_host() const { return proxy_host_; }
    int proxy_port() const { return proxy_port_; }
    const FtpLimits& limits() const { return limits_; }

    // Opens the control connection (to the proxy when the proxy type is set and the proxy host is
    // not empty), reads the greeting, logs in, and sets binary transfers (TYPE I) and asks for
    // the system (SYST). Called while connected, it closes that connection and raises
    // "Already connected.".
    void connect();
    // Whether the control connection is open, as far as the client knows: a close by the
    // server becomes known when a read finds it.
    bool connected() const { return control_ >= 0; }
    // Closes the control connection; no QUIT is sent.
    void disconnect();

    void change_folder(const std::string& folder);  // CWD
    // LIST over a data connection (LIST alone for an empty pattern), parsed into items.
    std::vector<FtpListItem> list(const std::string& pattern);
    // RETR of `remote_name` into a new local file, in binary. A file already at `local_path`
    // raises "Destination file already exists." before anything is sent. When the transfer
    // fails, the partly written local file is removed again.
    void download(const std::string& remote_name, const std::string& local_path);

  private:
    void require_connection() const;
    void send_command(const std::string& command, const FtpDeadline& deadline);
    // The next reply of those counted together since the last FtpReplyReader::start.
    FtpReply take_reply(const FtpDeadline& deadline);
    FtpReply read_reply(const FtpDeadline& deadline);
    FtpReply command(const std::string& command);
    FtpReply expect(const std::string& command, std::initializer_list<int> codes);
    void log_in(const std::string& user_name, const std::string& password);
    void close_control();
    // Opens a data channel, sends the transfer command and passes every received block to the
    // sink until the server closes the channel; then reads the closing reply.
    template <typename Sink>
    void transfer(const std::string& transfer_command, Sink&& sink);

    std::string host_;
    int port_ = default_port;
    std::string user_name_;
    std::string password_;
    bool passive_ = false;
    FtpProxyType proxy_type_ = FtpProxyType::none;
    std::string proxy_host_;
    int proxy_port_ = 0;
    std::string proxy_user_name_;
    std::string proxy_password_;
    FtpLimits limits_;

    int control_ = -1;
    FtpReplyReader replies_;
};

}  // namespace kvtu::net
