// The status exchange end to end: request_status over loopback against the fake game server,
// then the validity test and the decode, as every form of the exchange runs them.
#include "query/status_exchange.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "fake_game_server.h"
#include "platform/core/errors.h"
#include "platform/net/udp_client.h"
#include "status_reply.h"

namespace {

using kvtu::TStringDynArray;
using kvtu::net::UdpClient;
using kvtu::query::request_status;
using kvtu::test::FakeGameServer;
using kvtu::test::StatusReply;

// The wait of a query that expects a datagram ends as soon as it is there, so it is long: a
// busy machine must not turn a late thread switch into a missing reply. Only a query that
// expects silence waits briefly.
constexpr int reply_wait_ms = 5000;
constexpr int silence_wait_ms = 200;

// One query as the programs run it: exchange, test, decode into a fresh reference record.
struct Query {
    std::string reply;
    bool valid = false;
    TStringDynArray info = TStringDynArray(kvtu::query::server_info_slots);
};

Query run_query(UdpClient& client, const FakeGameServer& server, int wait_ms = reply_wait_ms) {
    Query query;
    client.set_receive_timeout(wait_ms);
    query.reply = request_status(client, "127.0.0.1", server.port());
    query.valid = kvtu::query::reply_valid(query.reply);
    if (query.valid) {
        kvtu::query::SlotWriter writer(query.info);
        kvtu::query::decode_reply(kvtu::query::reply_parts(query.reply), writer);
    }
    return query;
}

TEST(StatusExchange, ValidReplyIsDecodedAfterExactlyOneRequest) {
    FakeGameServer server;
    server.script({{StatusReply().set(8, "Kvtu Dedicated").set(36, "1").text()}});
    UdpClient client;
    const Query query = run_query(client, server);
    ASSERT_TRUE(query.valid);
    EXPECT_EQ(query.info, (TStringDynArray{"", "Ambush", "3/16", "1.96", "Kvtu Dedicated",
                                           "Private", "Game in Progress", "Tarnholm"}));
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_EQ(server.requests(), std::vector<std::string>{"\\status\\"});
    EXPECT_EQ(client.host(), "127.0.0.1");
    EXPECT_EQ(client.port(), server.port());
}

TEST(StatusExchange, ShortOrSilentOrWronglyMarkedRepliesAreRefused) {
    FakeGameServer server;
    const std::string short_reply = "\\gamena";
    const std::string wrong_case = "\\GAMENAME\\kvtu\\gamever\\1.96";
    server.script({{short_reply}, {}, {wrong_case}});
    UdpClient client;
    const std::vector<std::pair<Query, std::string>> queries = {
        {run_query(client, server), short_reply},
        {run_query(client, server, silence_wait_ms), ""},
        {run_query(client, server), wrong_case},
    };
    for (const auto& [query, reply] : queries) {
        // The datagram did arrive; it is the test that refuses it.
        EXPECT_EQ(query.reply, reply);
        EXPECT_FALSE(query.valid) << reply;
        EXPECT_EQ(query.info, TStringDynArray(8)) << reply;
    }
}

TEST(StatusExchange, ValidReplyWithTooFewPartsFailsWithTheRangeError) {
    FakeGameServer server;
    server.script({{StatusReply().keep(38).text()}});
    UdpClient client;
    client.set_receive_timeout(reply_wait_ms);
    TStringDynArray info(kvtu::query::server_info_slots);
    kvtu::query::SlotWriter writer(info);
    const std::string reply = request_status(client, "127.0.0.1", server.port());
    ASSERT_TRUE(kvtu::query::reply_valid(reply));
    EXPECT_THROW(kvtu::query::decode_reply(kvtu::query::reply_parts(reply), writer),
                 kvtu::RangeError);
    EXPECT_EQ(info[5], "Public");
    EXPECT_EQ(info[6], "");
}

TEST(StatusExchange, OversizedReplyIsASocketErrorAndIsNotLeftForTheNextQuery) {
    FakeGameServer server;
    std::string oversized = StatusReply().text();
    oversized.resize(9000, 'x');
    server.script({{oversized}, {StatusReply().set(4, "2.00").text()}});
    UdpClient client;
    try {
        run_query(client, server);
        ADD_FAILURE() << "no socket error";
    } catch (const kvtu::SocketError& error) {
        EXPECT_EQ(error.what(),
                  "Socket Error # " + std::to_string(EMSGSIZE) + "\n" + std::strerror(EMSGSIZE));
    }
    const Query next = run_query(client, server);
    ASSERT_TRUE(next.valid);
    EXPECT_EQ(next.info[3], "2.00");
}

TEST(StatusExchange, LateReplyIsNeverTakenAsTheReplyOfALaterQuery) {
    FakeGameServer slow;
    FakeGameServer answering;
    answering.answer_always(StatusReply().set(8, "Answering host").text());
    FakeGameServer silent;
    UdpClient client;

    // The slow server's answer comes after its query gave up, before the next query is sent.
    EXPECT_FALSE(run_query(client, slow, silence_wait_ms).valid);
    ASSERT_TRUE(slow.wait_for_requests(1));
    slow.send_to_last_sender(StatusReply().set(8, "Slow host").text());
    const Query second = run_query(client, answering);
    ASSERT_TRUE(second.valid);
    EXPECT_EQ(second.info[4], "Answering host");

    // Once more, the slow answer now arriving while a silent server's query waits.
    EXPECT_FALSE(run_query(client, slow, silence_wait_ms).valid);
    ASSERT_TRUE(slow.wait_for_requests(2));
    std::thread late_answer([&] {
        if (silent.wait_for_requests(1)) {
            slow.send_to_last_sender(StatusReply().set(8, "Slow host").text());
        }
    });
    const Query third = run_query(client, silent, silence_wait_ms);
    late_answer.join();
    EXPECT_EQ(third.reply, "");
    EXPECT_FALSE(third.valid);
}

TEST(StatusExchange, FurtherDatagramsOfOneAnswerAreDroppedAtTheNextRequest) {
    FakeGameServer server;
    server.script({{StatusReply().set(8, "First").text(), StatusReply().set(8, "Second").text()},
                   {StatusReply().set(8, "Third").text()}});
    UdpClient client;
    EXPECT_EQ(run_query(client, server).info[4], "First");
    // Both datagrams of the first answer have left the server.
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_EQ(run_query(client, server).info[4], "Third");
}

TEST(StatusExchange, UnresolvableHostEndsTheExchangeWithASocketError) {
    // A name server that drops queries would otherwise hold the look-up for the resolver's
    // default of several seconds per try and server; one short try gives the same error.
    setenv("RES_OPTIONS", "timeout:1 attempts:1", 1);
    UdpClient client;
    try {
        request_status(client, "kvtu-game-server.invalid", 2303);
        FAIL() << "no socket error";
    } catch (const kvtu::SocketError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind("Host \"kvtu-game-server.invalid\" not found.\n", 0), 0u)
            << message;
    }
    // The client stays usable for the next query.
    FakeGameServer server;
    server.script({{StatusReply().text()}});
    EXPECT_TRUE(run_query(client, server).valid);
}

}  // namespace
