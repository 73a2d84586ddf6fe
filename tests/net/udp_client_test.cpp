#include "platform/net/udp_client.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "fake_game_server.h"
#include "platform/core/errors.h"

namespace {

using kvtu::net::UdpClient;
using kvtu::test::FakeGameServer;

// A wait that ends as soon as the expected datagram is there; long, so that a busy machine
// cannot turn a late thread switch into a missing reply.
constexpr int reply_wait_ms = 5000;
// Where silence is expected, the wait is short so that the case ends quickly.
constexpr int silence_wait_ms = 200;

void aim(UdpClient& client, const FakeGameServer& server, const std::string& host = "127.0.0.1") {
    client.set_host(host);
    client.set_port(server.port());
    client.set_receive_timeout(reply_wait_ms);
}

std::string socket_error_of(UdpClient& client, void (*operation)(UdpClient&)) {
    try {
        operation(client);
    } catch (const kvtu::SocketError& error) {
        return error.what();
    }
    return "no socket error";
}

std::string socket_error_text(int error_number) {
    return "Socket Error # " + std::to_string(error_number) + "\n" + std::strerror(error_number);
}

TEST(UdpClient, StartsInactiveWithTheDefaultWaitAndKeepsOneSocket) {
    UdpClient client;
    EXPECT_FALSE(client.active());
    EXPECT_EQ(client.receive_timeout(), UdpClient::default_receive_timeout_ms);
    EXPECT_EQ(UdpClient::default_receive_timeout_ms, 2000);
    EXPECT_EQ(client.local_port(), 0);

    FakeGameServer server;
    server.answer_always("pong");
    aim(client, server);
    client.activate();
    EXPECT_TRUE(client.active());
    client.send_text("one");
    const int first_port = client.local_port();
    EXPECT_NE(first_port, 0);
    EXPECT_EQ(client.receive_text(), "pong");

    client.activate();
    client.send_text("two");
    EXPECT_EQ(client.receive_text(), "pong");
    EXPECT_EQ(client.local_port(), first_port);
    ASSERT_TRUE(server.wait_for_requests(2));
    EXPECT_EQ(server.requests(), (std::vector<std::string>{"one", "two"}));
}

TEST(UdpClient, SendsEveryByteAsOneDatagramWithoutTerminator) {
    FakeGameServer server;
    UdpClient client;
    aim(client, server);
    const std::string text("\\status\\\0\xff", 10);
    client.send_text(text);
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_EQ(server.requests(), std::vector<std::string>{text});
}

TEST(UdpClient, LocalhostInAnyCaseIsTheLoopbackAddress) {
    FakeGameServer server;
    server.answer_always("here");
    for (const char* name : {"localhost", "LocalHost", "LOCALHOST"}) {
        UdpClient client;
        aim(client, server, name);
        client.send_text("ping");
        EXPECT_EQ(client.receive_text(), "here") << name;
    }
}

TEST(UdpClient, ReceivesTheBytesOfADatagramAsTheyCame) {
    FakeGameServer server;
    const std::string reply("\\gamename\\kvtu\0\\\xe9\\", 18);
    server.script({{reply}, {std::string(UdpClient::buffer_size, 'x')}, {""}});
    UdpClient client;
    aim(client, server);
    client.send_text("a");
    EXPECT_EQ(client.receive_text(), reply);
    // A datagram that fills the buffer exactly is still whole.
    client.send_text("b");
    EXPECT_EQ(client.receive_text(), std::string(UdpClient::buffer_size, 'x'));
    client.send_text("c");
    EXPECT_EQ(client.receive_text(), "");
}

TEST(UdpClient, ClosedPortShowsAsAnExpiredWait) {
    UdpClient client;
    client.set_host("127.0.0.1");
    client.set_port(FakeGameServer::unused_port());
    client.set_receive_timeout(silence_wait_ms);
    client.send_text("anyone?");
    EXPECT_EQ(client.receive_text(), "");
}

TEST(UdpClient, WaitWithoutLimitOrWithNoneTakesADatagramAlreadyWaiting) {
    FakeGameServer server;
    server.answer_always("queued");
    UdpClient client;
    aim(client, server);
    client.send_text("a");
    ASSERT_TRUE(server.wait_for_requests(1));
    client.set_receive_timeout(-1);
    EXPECT_EQ(client.receive_text(), "queued");

    client.send_text("b");
    ASSERT_TRUE(server.wait_for_requests(2));
    client.set_receive_timeout(0);
    EXPECT_EQ(client.receive_text(), "queued");
    // Nothing more is there, and a wait of none does not wait for it.
    EXPECT_EQ(client.receive_text(), "");
}

// A datagram to the client's port from the given local address and port (0: any port).
void send_from(const std::string& address, int port, const UdpClient& client,
               const std::string& text) {
    const int handle = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(handle, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_port = htons(static_cast<std::uint16_t>(port));
    ASSERT_EQ(inet_pton(AF_INET, address.c_str(), &from.sin_addr), 1);
    ASSERT_EQ(bind(handle, reinterpret_cast<sockaddr*>(&from), sizeof from), 0)
        << address << ":" << port << ": " << std::strerror(errno);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(client.local_port()));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(
        sendto(handle, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to),
        static_cast<ssize_t>(text.size()));
    close(handle);
}

TEST(UdpClient, ReplyIsTakenOnlyFromTheQueriedAddressAndPort) {
    FakeGameServer server;
    UdpClient client;
    aim(client, server);
    const auto elsewhere = [&](const std::string& tag) {
        // The server's port on another loopback address, another port on the server's
        // address, and a datagram too long for the buffer: none of them is the reply.
        send_from("127.0.0.2", server.port(), client, tag + " from another address");
        send_from("127.0.0.1", 0, client, tag + " from another port");
        send_from("127.0.0.1", 0, client, std::string(UdpClient::buffer_size + 1, 'x'));
    };

    // Already waiting when the receive begins.
    client.send_text("first");
    ASSERT_TRUE(server.wait_for_requests(1));
    elsewhere("first");
    server.send_to_last_sender("first reply");
    EXPECT_EQ(client.receive_text(), "first reply");

    // Arriving while the receive waits: the wait goes on until the reply comes.
    client.send_text("second");
    ASSERT_TRUE(server.wait_for_requests(2));
    std::thread replies([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        elsewhere("second");
        server.send_to_last_sender("second reply");
    });
    EXPECT_EQ(client.receive_text(), "second reply");
    replies.join();

    // With no reply at all, the wait lasts its whole time-out.
    client.set_receive_timeout(silence_wait_ms);
    client.send_text("third");
    ASSERT_TRUE(server.wait_for_requests(3));
    std::thread strays([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(silence_wait_ms / 4));
        elsewhere("third");
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(client.receive_text(), "");
    EXPECT_GE(std::chrono::steady_clock::now() - started,
              std::chrono::milliseconds(silence_wait_ms));
    strays.join();
}

TEST(UdpClient, DatagramsWaitingBeforeASendAreDroppedWhateverTheirSize) {
    FakeGameServer server;
    server.script(
        {{"late", std::string(UdpClient::buffer_size + 1, 'x'), "repeated"}, {"current"}});
    UdpClient client;
    aim(client, server);
    client.send_text("one");
    ASSERT_TRUE(server.wait_for_requests(1));
    // All three answers to the first request wait on the socket; the next send drops them.
    client.send_text("two");
    EXPECT_EQ(client.receive_text(), "current");
}

TEST(UdpClient, BroadcastIsSwitchedOff) {
    // The loopback broadcast address keeps the datagram on this machine, should it leave.
    UdpClient client;
    client.set_host("127.255.255.255");
    client.set_port(FakeGameServer::unused_port());
    EXPECT_EQ(socket_error_of(client, [](UdpClient& c) { c.send_text("\\status\\"); }),
              socket_error_text(EACCES));
}

TEST(UdpClient, PortOutsideTheSixteenBitRangeIsRefusedNotCut) {
    FakeGameServer server;
    UdpClient client;
    aim(client, server);
    client.set_port(server.port() + 65536);
    EXPECT_EQ(socket_error_of(client, [](UdpClient& c) { c.send_text("x"); }),
              socket_error_text(EINVAL));
    client.set_port(-1);
    EXPECT_THROW(client.send_text("x"), kvtu::SocketError);
    EXPECT_FALSE(server.wait_for_requests(1, std::chrono::milliseconds(50)));
}

}  // namespace
