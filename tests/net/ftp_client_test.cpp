#include "platform/net/ftp_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ftp_scripted_server.h"
#include "ftp_server.h"
#include "platform/core/errors.h"
#include "test_environment.h"

namespace {

namespace fs = std::filesystem;
using kvtu::net::FtpClient;
using kvtu::net::FtpLimits;
using kvtu::net::FtpListItem;
using kvtu::net::FtpProxyType;
using kvtu::test::FtpServer;
using kvtu::test::ScriptedFtpServer;
using namespace std::chrono_literals;

const std::string user = "kvtu";
const std::string password = "secret";

void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary);
    file << bytes;
}

std::string read_file(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::string socket_error_text(int error_number) {
    return "Socket Error # " + std::to_string(error_number) + "\n" + std::strerror(error_number);
}

template <typename Operation>
std::string error_of(Operation operation) {
    try {
        operation();
    } catch (const kvtu::Error& error) {
        return error.what();
    }
    return "no error";
}

// A TCP port on 127.0.0.1 that is bound but does not listen: a connection there is refused.
class RefusingPort {
  public:
    RefusingPort() : handle_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(handle_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        getsockname(handle_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~RefusingPort() { close(handle_); }
    int port() const { return port_; }

  protected:
    int handle_;
    int port_ = 0;
};

// A port that takes connections (the system completes them) and never says a word.
class SilentPort : public RefusingPort {
  public:
    SilentPort() { listen(handle_, 4); }
};

class FtpClientTest : public testing::Test {
  protected:
    void SetUp() override {
        served_ = kvtu::test::sandbox() / "served";
        local_ = kvtu::test::sandbox() / "local";
        fs::create_directories(served_ / "maps");
        fs::create_directories(local_);
        write_file(served_ / "server.cfg", "hostname=\"Test\";\n");
        write_file(served_ / "readme.txt", std::string(1234, 'r'));
        write_file(served_ / "maps" / "island.pbo", "map");
    }

    void start_server(const std::vector<FtpServer::Account>& more_accounts = {}) {
        server_.start(user, password, served_, more_accounts);
    }

    void aim(FtpClient& client) {
        client.set_host("127.0.0.1");
        client.set_port(server_.port());
        client.set_user_name(user);
        client.set_password(password);
    }

    // The commands of the server's log, without the closing marks.
    std::vector<std::string> commands() const {
        std::vector<std::string> lines = server_.received_commands();
        lines.erase(std::remove(lines.begin(), lines.end(), "<closed>"), lines.end());
        return lines;
    }

    fs::path served_;
    fs::path local_;
    FtpServer server_;
};

TEST_F(FtpClientTest, StartsWithPortTwentyOneActiveModeAndNoProxy) {
    FtpClient client;
    EXPECT_EQ(client.port(), 21);
    EXPECT_FALSE(client.passive());
    EXPECT_EQ(client.proxy_type(), FtpProxyType::none);
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(error_of([&] { client.change_folder("maps"); }), "Not connected.");
    EXPECT_EQ(error_of([&] { client.list(""); }), "Not connected.");
    EXPECT_EQ(error_of([&] { client.download("server.cfg", (local_ / "x").string()); }),
              "Not connected.");
    EXPECT_FALSE(fs::exists(local_ / "x"));
}

TEST_F(FtpClientTest, LogsInThroughAGreetingOfSeveralLinesWithBinaryTransfers) {
    start_server();
    FtpClient client;
    aim(client);
    client.connect();
    EXPECT_TRUE(client.connected());
    EXPECT_EQ(commands(), (std::vector<std::string>{"USER kvtu", "PASS secret", "TYPE I", "SYST"}));
}

TEST_F(FtpClientTest, FailedLogInRaisesTheServersTextAndClosesTheConnection) {
    start_server();
    FtpClient client;
    aim(client);
    client.set_password("wrong");
    EXPECT_EQ(error_of([&] { client.connect(); }), "Authentication failed.");
    EXPECT_FALSE(client.connected());
    client.set_user_name("nobody");
    EXPECT_EQ(error_of([&] { client.connect(); }), "Authentication failed.");
    EXPECT_FALSE(client.connected());
    client.set_user_name(user);
    client.set_password(password);
    client.connect();
    EXPECT_TRUE(client.connected());
}

TEST_F(FtpClientTest, ConnectWhileConnectedClosesAndRaisesThenTheNextConnects) {
    start_server();
    FtpClient client;
    aim(client);
    client.connect();
    EXPECT_EQ(error_of([&] { client.connect(); }), "Already connected.");
    EXPECT_FALSE(client.connected());
    ASSERT_TRUE(server_.wait_for_closed_connections(1));
    client.connect();
    EXPECT_TRUE(client.connected());
}

TEST_F(FtpClientTest, UnreachableServersRaiseSocketErrors) {
    FtpClient client;
    RefusingPort refusing;
    client.set_host("127.0.0.1");
    client.set_port(refusing.port());
    EXPECT_EQ(error_of([&] { client.connect(); }), socket_error_text(ECONNREFUSED));
    EXPECT_FALSE(client.connected());

    client.set_port(70000);
    EXPECT_EQ(error_of([&] { client.connect(); }), socket_error_text(EINVAL));

    setenv("RES_OPTIONS", "timeout:1 attempts:1", 1);
    client.set_host("kvtu-ftp-server.invalid");
    client.set_port(21);
    const std::string message = error_of([&] { client.connect(); });
    EXPECT_EQ(message.rfind("Host \"kvtu-ftp-server.invalid\" not found.\n", 0), 0u) << message;
    EXPECT_FALSE(client.connected());
}

TEST_F(FtpClientTest, ChangesFolderAndReportsAMissingOneWithTheServersText) {
    start_server();
    FtpClient client;
    aim(client);
    client.connect();
    const std::string message = error_of([&] { client.change_folder("missing"); });
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    EXPECT_EQ(message.find("550"), std::string::npos) << message;
    EXPECT_TRUE(client.connected());

    client.set_passive(true);
    client.change_folder("maps");
    const std::vector<FtpListItem> items = client.list("");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].file_name, "island.pbo");
    const std::vector<std::string> sent = commands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "CWD missing"), sent.end());
    EXPECT_NE(std::find(sent.begin(), sent.end(), "CWD maps"), sent.end());
}

class FtpTransferTest : public FtpClientTest, public testing::WithParamInterface<bool> {};

TEST_P(FtpTransferTest, ListsFilesAndFoldersWithSizes) {
    start_server();
    FtpClient client;
    aim(client);
    client.set_passive(GetParam());
    client.connect();
    const std::vector<FtpListItem> items = client.list("");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].file_name, "maps");
    EXPECT_TRUE(items[0].is_folder);
    EXPECT_EQ(items[1].file_name, "readme.txt");
    EXPECT_FALSE(items[1].is_folder);
    EXPECT_EQ(items[1].size, 1234u);
    EXPECT_EQ(items[2].file_name, "server.cfg");
    EXPECT_EQ(items[2].size, 17u);

    // The pattern the browser asks for.
    const std::vector<FtpListItem> matching = client.list("*.*");
    ASSERT_EQ(matching.size(), 2u);
    EXPECT_EQ(matching[0].file_name, "readme.txt");
    EXPECT_EQ(matching[1].file_name, "server.cfg");

    const std::string data_command = GetParam() ? "PASV" : "PORT ";
    const std::vector<std::string> sent = commands();
    EXPECT_EQ(
        std::count_if(sent.begin(), sent.end(),
                      [&](const std::string& line) { return line.rfind(data_command, 0) == 0; }),
        2);
}

TEST_P(FtpTransferTest, DownloadsEveryByteAsItIs) {
    std::string binary;
    for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
    binary += "\r\n\n\r";
    std::mt19937 random(7);
    std::string large(300000, '\0');
    for (char& c : large) c = static_cast<char>(random());
    write_file(served_ / "binary.dat", binary);
    write_file(served_ / "large.dat", large);
    write_file(served_ / "empty.cfg", "");
    start_server();

    FtpClient client;
    aim(client);
    client.set_passive(GetParam());
    client.connect();
    for (const char* name : {"binary.dat", "large.dat", "empty.cfg"}) {
        client.download(name, (local_ / name).string());
        EXPECT_EQ(read_file(local_ / name), read_file(served_ / name)) << name;
        EXPECT_EQ(fs::file_size(local_ / name), fs::file_size(served_ / name)) << name;
    }
    client.change_folder("maps");
    client.download("island.pbo", (local_ / "island.pbo").string());
    EXPECT_EQ(read_file(local_ / "island.pbo"), "map");
}

TEST_P(FtpTransferTest, MissingRemoteFileLeavesNoLocalFileAndTheConnectionUsable) {
    start_server();
    FtpClient client;
    aim(client);
    client.set_passive(GetParam());
    client.connect();
    const fs::path target = local_ / "missing.cfg";
    const std::string message = error_of([&] { client.download("missing.cfg", target.string()); });
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(client.connected());

    client.download("server.cfg", (local_ / "server.cfg").string());
    EXPECT_EQ(read_file(local_ / "server.cfg"), read_file(served_ / "server.cfg"));
}

INSTANTIATE_TEST_SUITE_P(ActiveAndPassive, FtpTransferTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Passive" : "Active";
                         });

TEST_F(FtpClientTest, DownloadNeverOverwritesAndCreatesNothingItCannot) {
    start_server();
    FtpClient client;
    aim(client);
    client.connect();
    const fs::path existing = local_ / "server.cfg";
    write_file(existing, "my own copy");
    EXPECT_EQ(error_of([&] { client.download("server.cfg", existing.string()); }),
              "Destination file already exists.");
    EXPECT_EQ(read_file(existing), "my own copy");

    // A dangling link is something at that path too; it is not followed.
    const fs::path link = local_ / "link.cfg";
    fs::create_symlink(local_ / "elsewhere.cfg", link);
    EXPECT_EQ(error_of([&] { client.download("server.cfg", link.string()); }),
              "Destination file already exists.");
    EXPECT_FALSE(fs::exists(local_ / "elsewhere.cfg"));

    const fs::path no_folder = local_ / "tmp" / "server.cfg";
    EXPECT_EQ(error_of([&] { client.download("server.cfg", no_folder.string()); }),
              "Cannot create file \"" + no_folder.string() + "\". " + std::strerror(ENOENT));

    // A line break in a name would smuggle in a command of its own.
    EXPECT_EQ(
        error_of([&] { client.download("a.cfg\r\nDELE server.cfg", (local_ / "a").string()); }),
        socket_error_text(EINVAL));
    EXPECT_FALSE(fs::exists(local_ / "a"));
    EXPECT_TRUE(fs::exists(served_ / "server.cfg"));

    const std::vector<std::string> sent = commands();
    EXPECT_EQ(std::count_if(sent.begin(), sent.end(),
                            [](const std::string& line) { return line.rfind("RETR", 0) == 0; }),
              0);
    EXPECT_TRUE(client.connected());
}

TEST_F(FtpClientTest, DisconnectClosesWithoutQuitAndNothingIsEverUploaded) {
    start_server();
    FtpClient client;
    aim(client);
    client.connect();
    client.change_folder("maps");
    client.list("");
    client.download("island.pbo", (local_ / "island.pbo").string());
    client.disconnect();
    EXPECT_FALSE(client.connected());
    ASSERT_TRUE(server_.wait_for_closed_connections(1));
    for (const std::string& line : server_.received_commands()) {
        EXPECT_NE(line.rfind("QUIT", 0), 0u) << line;
        EXPECT_NE(line.rfind("STOR", 0), 0u) << line;
    }
    EXPECT_EQ(error_of([&] { client.list(""); }), "Not connected.");
    client.disconnect();
    EXPECT_FALSE(client.connected());
}

TEST_F(FtpClientTest, ConnectionDroppedByTheServerIsNoticedAtTheNextOperation) {
    start_server();
    FtpClient client;
    aim(client);
    client.connect();
    server_.stop();
    EXPECT_TRUE(client.connected());
    const std::string message = error_of([&] { client.change_folder("maps"); });
    EXPECT_EQ(message.rfind("Socket Error # ", 0), 0u) << message;
    EXPECT_FALSE(client.connected());
}

TEST_F(FtpClientTest, ProxyLogInNamesTheTargetHostAfterTheUser) {
    start_server({{user + "@ftp.example.test", password}, {"gate", "gate-pass"}});
    RefusingPort target;  // nothing may go to the target itself: the proxy connects to it
    FtpClient client;
    aim(client);
    client.set_host("ftp.example.test");
    client.set_port(target.port());
    client.set_proxy_type(FtpProxyType::user_at_host);
    client.set_proxy_host("127.0.0.1");
    client.set_proxy_port(server_.port());
    client.connect();
    EXPECT_TRUE(client.connected());
    client.disconnect();

    // A proxy with a log-in of its own is logged in to first.
    client.set_proxy_user_name("gate");
    client.set_proxy_password("gate-pass");
    client.connect();
    client.disconnect();

    EXPECT_EQ(commands(), (std::vector<std::string>{"USER kvtu@ftp.example.test", "PASS secret",
                                                    "TYPE I", "SYST", "USER gate", "PASS gate-pass",
                                                    "USER kvtu@ftp.example.test", "PASS secret",
                                                    "TYPE I", "SYST"}));
}

TEST_F(FtpClientTest, ProxyWithoutHostConnectsToTheServerButStillNamesTheHost) {
    start_server({{user + "@127.0.0.1", password}});
    FtpClient client;
    aim(client);
    client.set_proxy_type(FtpProxyType::user_at_host);
    client.set_proxy_port(RefusingPort().port());
    client.connect();
    EXPECT_TRUE(client.connected());
    EXPECT_EQ(commands().front(), "USER kvtu@127.0.0.1");
}

// Against the scripted server that misbehaves on purpose. Every limit is long here, and each
// test shortens only the one it is about, so that the message shows which limit was reached
// and no other can be reached by a slow machine. Where the operation under test is not the
// log-in, the client connects under the long limits and gets the short one just before it.
class FtpLimitTest : public FtpClientTest {
  protected:
    void start_scripted(const std::string& scenario,
                        const std::vector<std::string>& passive_replies = {}) {
        scripted_.stop();
        scripted_.start(scenario, passive_replies);
    }

    static FtpLimits long_limits() {
        FtpLimits limits;
        limits.greeting_time = 10s;
        limits.reply_time = 10s;
        limits.transfer_idle_time = 10s;
        limits.transfer_time = 10s;
        return limits;
    }

    void aim(FtpClient& client, const FtpLimits& limits, bool passive = true) {
        client.set_host("127.0.0.1");
        client.set_port(scripted_.port());
        client.set_user_name(user);
        client.set_password(password);
        client.set_passive(passive);
        client.set_limits(limits);
    }

    // Each limit reached closes the connection; the server sees it go.
    void expect_closed(const FtpClient& client, std::size_t connections) {
        EXPECT_FALSE(client.connected());
        EXPECT_TRUE(scripted_.wait_for_closed_connections(connections));
    }

    std::size_t logged(const std::string& line) const {
        const std::vector<std::string> lines = scripted_.log();
        return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
    }

    ScriptedFtpServer scripted_;
};

TEST_F(FtpLimitTest, TrickledAndMissingRepliesEndAtTheLimitOfTheWholeReply) {
    // The trickles take seconds; no other limit than the shortened ones can end them sooner.
    FtpLimits limits = long_limits();
    limits.greeting_time = 300ms;
    limits.reply_time = 300ms;
    FtpClient client;

    // One byte per step: every single read is quick, the greeting as a whole is not.
    start_scripted("trickled-greeting");
    aim(client, limits);
    EXPECT_EQ(error_of([&] { client.connect(); }),
              "No greeting from the FTP server within 300 ms.");
    expect_closed(client, 1);

    // A server that takes the connection and never says a word.
    SilentPort silent;
    client.set_port(silent.port());
    EXPECT_EQ(error_of([&] { client.connect(); }),
              "No greeting from the FTP server within 300 ms.");
    EXPECT_FALSE(client.connected());

    start_scripted("trickled-reply");
    aim(client, limits);
    EXPECT_EQ(error_of([&] { client.connect(); }),
              "The FTP server's reply did not end within 300 ms.");
    expect_closed(client, 1);
}

TEST_F(FtpLimitTest, EndlessReadyInAMomentRepliesCountIntoTheGreeting) {
    FtpClient client;
    FtpLimits time = long_limits();
    time.greeting_time = 300ms;
    start_scripted("slow-120");
    aim(client, time);
    EXPECT_EQ(error_of([&] { client.connect(); }),
              "No greeting from the FTP server within 300 ms.");
    expect_closed(client, 1);

    FtpLimits size = long_limits();
    size.reply_size = 4096;
    start_scripted("flood-120");
    aim(client, size);
    EXPECT_EQ(error_of([&] { client.connect(); }), "The FTP server's reply is longer than 4 KiB.");
    expect_closed(client, 1);
}

TEST_F(FtpLimitTest, EndlessMultiLineRepliesEndAtTheReplyTimeOrSize) {
    FtpClient client;
    FtpLimits time = long_limits();
    time.reply_time = 300ms;
    FtpLimits size = long_limits();
    size.reply_size = 4096;

    start_scripted("flood-multiline-greeting");
    aim(client, size);
    EXPECT_EQ(error_of([&] { client.connect(); }), "The FTP server's reply is longer than 4 KiB.");
    expect_closed(client, 1);

    start_scripted("slow-multiline-reply");
    aim(client, long_limits());
    client.connect();
    client.set_limits(time);
    EXPECT_EQ(error_of([&] { client.change_folder("cfg"); }),
              "The FTP server's reply did not end within 300 ms.");
    expect_closed(client, 1);

    start_scripted("flood-multiline-reply");
    aim(client, size);
    client.connect();
    EXPECT_EQ(error_of([&] { client.change_folder("cfg"); }),
              "The FTP server's reply is longer than 4 KiB.");
    expect_closed(client, 1);
}

TEST_F(FtpLimitTest, EndlessDownloadsAndListingsEndAtTheirSizeAndLeaveNoFile) {
    FtpLimits limits = long_limits();
    limits.download_size = 100000;
    limits.listing_size = 100000;
    const std::string too_large =
        "The file is larger than 100000 bytes, more than a configuration file can be.";
    start_scripted("normal");
    std::size_t closed = 0;
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        FtpClient client;
        aim(client, limits, passive);
        client.connect();
        const fs::path exact = local_ / (passive ? "exact-passive" : "exact-active");
        client.download("bytes-100000", exact.string());
        EXPECT_EQ(fs::file_size(exact), 100000u);

        const fs::path over = local_ / "over.cfg";
        EXPECT_EQ(error_of([&] { client.download("bytes-100001", over.string()); }), too_large);
        EXPECT_FALSE(fs::exists(over));
        expect_closed(client, ++closed);

        client.connect();
        const fs::path endless = local_ / "endless.cfg";
        EXPECT_EQ(error_of([&] { client.download("endless", endless.string()); }), too_large);
        EXPECT_FALSE(fs::exists(endless));
        expect_closed(client, ++closed);
    }
    FtpClient client;
    aim(client, limits);
    client.connect();
    EXPECT_EQ(error_of([&] { client.list("endless"); }),
              "The folder listing is larger than 100000 bytes.");
    expect_closed(client, ++closed);
}

TEST_F(FtpLimitTest, StalledTrickledOrUnendedDataEndsAtTheTransferLimits) {
    start_scripted("normal");
    std::size_t closed = 0;
    const auto expect_limit = [&](const FtpLimits& limits, bool passive, const char* command,
                                  const std::string& message) {
        SCOPED_TRACE(std::string(command) + (passive ? " passive" : " active"));
        FtpClient client;
        aim(client, long_limits(), passive);
        client.connect();
        client.set_limits(limits);
        const fs::path target = local_ / "fetched.cfg";
        EXPECT_EQ(error_of([&] {
                      if (std::string(command).rfind("RETR ", 0) == 0) {
                          client.download(std::string(command).substr(5), target.string());
                      } else {
                          client.list(std::string(command).substr(5));
                      }
                  }),
                  message);
        EXPECT_FALSE(fs::exists(target));
        expect_closed(client, ++closed);
    };

    FtpLimits idle = long_limits();
    idle.transfer_idle_time = 300ms;
    const std::string idle_message = "The FTP transfer received nothing for 300 ms.";
    for (const bool passive : {true, false}) {
        // Some bytes, then nothing.
        expect_limit(idle, passive, "LIST stalled", idle_message);
        expect_limit(idle, passive, "RETR stalled", idle_message);
        // No byte at all; in active mode the server never even connects.
        expect_limit(idle, passive, "LIST silent", idle_message);
    }

    // A byte now and then is never idle long enough, but the whole transfer has its end.
    FtpLimits whole = long_limits();
    whole.transfer_time = 500ms;
    expect_limit(whole, true, "RETR trickled", "The FTP transfer did not end within 500 ms.");

    // All data there, and the reply that ends the transfer never comes.
    FtpLimits reply = long_limits();
    reply.reply_time = 300ms;
    expect_limit(reply, true, "LIST no-final-reply",
                 "The FTP server's reply did not end within 300 ms.");
}

TEST_F(FtpLimitTest, PassiveDataGoesToTheServerOfTheControlConnectionNotToTheNamedAddress) {
    // The reply names 127.0.0.2, where the server listens at the same port to catch a
    // connection that must not come.
    start_scripted("normal", {"Entering Passive Mode (127,0,0,2,{p1},{p2})"});
    FtpClient client;
    aim(client, long_limits());
    client.connect();
    const std::vector<FtpListItem> items = client.list("");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].file_name, "server.cfg");
    client.download("server.cfg", (local_ / "server.cfg").string());
    EXPECT_EQ(read_file(local_ / "server.cfg"), "hostname=\"Scripted\";\n");
    EXPECT_EQ(logged("data at 127.0.0.1"), 2u);
    EXPECT_EQ(logged("data at 127.0.0.2"), 0u);
    for (const std::string& line : scripted_.log()) {
        EXPECT_EQ(line.rfind("no listener", 0), std::string::npos) << line;
    }
}

TEST_F(FtpLimitTest, MalformedPassiveRepliesAreProtocolErrorsAndConnectNowhere) {
    // Every address here is 127.0.0.1, and the only number before it, 1127, ends in 127: a
    // parse that starts inside a number, as a faulty one did, still reads 127.0.0.1 and reaches
    // the server's own listener, where the log shows it.
    const std::vector<std::string> malformed = {
        "Entering Passive Mode (1127,0,0,1,{p1},{p2})",   // a number beyond 255
        "Entering Passive Mode (127,0,0,1,{p1},256)",     // a port number beyond 255
        "Entering Passive Mode (127,0,0,1,{p1},{p2},7)",  // seven numbers
        "Entering Passive Mode (127,0,0,1,{p1})",         // five numbers
        "Entering Passive Mode (127,0,0,1,,{p2})",        // an empty number
        "Entering Passive Mode (127,0,0,1,-{p1},{p2})",   // a sign
        "Entering Passive Mode 127,0,0,1,{p1},{p2}x",     // a number run into a letter
        "Entering Passive Mode",                          // no numbers
    };
    std::vector<std::string> replies = malformed;
    replies.push_back("Entering Passive Mode (127,0,0,1,{p1},{p2})");
    start_scripted("normal", replies);
    std::size_t closed = 0;
    for (const std::string& text : malformed) {
        SCOPED_TRACE(text);
        FtpClient client;
        aim(client, long_limits());
        client.connect();
        EXPECT_EQ(error_of([&] { client.list(""); }),
                  "The FTP server's passive mode reply names no valid port.");
        expect_closed(client, ++closed);
    }
    EXPECT_EQ(logged("data at 127.0.0.1") + logged("data at 127.0.0.2"), 0u);

    // The same server with a sound reply: the listener was there all along.
    FtpClient client;
    aim(client, long_limits());
    client.connect();
    EXPECT_EQ(client.list("").size(), 1u);
    EXPECT_EQ(logged("data at 127.0.0.1"), 1u);
}

}  // namespace
