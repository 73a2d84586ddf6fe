#include "platform/net/udp_client.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

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

TEST(UdpClient, WaitWithoutLimitTakesADatagramAlreadyWaiting) {
    FakeGameServer server;
    server.answer_always("queued");
    UdpClient client;
    aim(client, server);
    client.send_text("a");
    ASSERT_TRUE(server.wait_for_requests(1));
    client.set_receive_timeout(-1);
    EXPECT_EQ(client.receive_text(), "queued");
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
