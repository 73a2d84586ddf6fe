#pragma once
// An FTP client for fetching files from a server: log-in (directly or through a proxy that takes
// "user@host" as the user name), binary transfers, change of folder, detailed listing and
// download. It never uploads and never sends QUIT: disconnecting closes the control connection.
//
// Waits: every wait for the connection, a reply or data is bounded by the read time-out (30 s
// by default), and an expired wait raises the socket error of a timed-out connection
// (ETIMEDOUT). The limit applies to each wait on its own, so a long transfer that keeps
// moving is never cut.
//
// Errors: a reply other than the ones an operation expects raises FtpError with the server's
// reply text (without the reply code; the lines of a multi-line reply joined by line breaks);
// system and network failures raise SocketError, local file failures FileError. A failed
// log-in closes the connection again.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net/ftp_listing.h"

namespace kvtu::net {

enum class FtpProxyType {
    none,
    user_at_host,  // log in to the proxy with "user@host" as the user name
};

class FtpClient {
  public:
    static constexpr int default_port = 21;
    static constexpr int default_read_timeout_ms = 30000;

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
    // Milliseconds; values below 1 are taken as 1, so that no wait is without end.
    void set_read_timeout(int milliseconds);

    const std::string& host() const { return host_; }
    int port() const { return port_; }
    const std::string& user_name() const { return user_name_; }
    bool passive() const { return passive_; }
    FtpProxyType proxy_type() const { return proxy_type_; }
    const std::string& proxy_host() const { return proxy_host_; }
    int proxy_port() const { return proxy_port_; }
    int read_timeout() const { return read_timeout_; }

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
    struct Reply {
        int code = 0;
        std::string text;
    };
    class DataChannel;

    void require_connection() const;
    void send_command(const std::string& command);
    Reply read_reply();
    Reply command(const std::string& command);
    Reply expect(const std::string& command, std::initializer_list<int> codes);
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
    int read_timeout_ = default_read_timeout_ms;

    int control_ = -1;
    std::string received_;  // control bytes read but not yet taken as reply lines
};

}  // namespace kvtu::net
