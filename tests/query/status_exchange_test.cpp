#include "query/status_exchange.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "status_reply.h"

namespace {

using kvtu::TStringDynArray;
using kvtu::query::decode_reply;
using kvtu::query::reply_part_views;
using kvtu::query::reply_parts;
using kvtu::query::reply_valid;
using kvtu::test::StatusReply;

// Records every text the decode hands on, in order, as "what=text".
class RecordingWriter : public kvtu::query::SummaryWriter {
  public:
    std::vector<std::string> calls;
    void mission(std::string_view text) override {
        calls.push_back("mission=" + std::string(text));
    }
    void players(std::string_view text) override {
        calls.push_back("players=" + std::string(text));
    }
    void version(std::string_view text) override {
        calls.push_back("version=" + std::string(text));
    }
    void host_name(std::string_view text) override { calls.push_back("host=" + std::string(text)); }
    void server_type(std::string_view text) override {
        calls.push_back("type=" + std::string(text));
    }
    void state_text(std::string_view text) override {
        calls.push_back("state=" + std::string(text));
    }
    void world_name(std::string_view text) override {
        calls.push_back("world=" + std::string(text));
    }
};

// The texts that both forms of the parts hand on; they must agree.
std::vector<std::string> decoded(const StatusReply& reply) {
    RecordingWriter writer;
    decode_reply(reply_parts(reply.text()), writer);
    RecordingWriter view_writer;
    decode_reply(reply_part_views(reply.text()), view_writer);
    EXPECT_EQ(view_writer.calls, writer.calls) << "decoded from views";
    return writer.calls;
}

TEST(ReplyValidity, CountsEveryByteButSearchesOnlyUpToTheFirstNul) {
    EXPECT_FALSE(reply_valid(""));
    EXPECT_FALSE(reply_valid("gamenam"));
    EXPECT_FALSE(reply_valid(std::string("gamename", 7)));
    EXPECT_TRUE(reply_valid("gamename"));
    EXPECT_FALSE(reply_valid("\\status\\"));
    EXPECT_TRUE(reply_valid("\\gamename\\kvtu\\"));
    // The NUL and what follows it count for the length, not for the search.
    EXPECT_TRUE(reply_valid(std::string("gamename\0", 9)));
    EXPECT_FALSE(reply_valid(std::string("gam\0ename", 9)));
    EXPECT_FALSE(reply_valid(std::string("\\\0gamename\\kvtu", 15)));
    EXPECT_FALSE(reply_valid(std::string("gamen\0ame", 9)));
}

TEST(ReplyValidity, ComparesTheWordCaseSensitively) {
    EXPECT_FALSE(reply_valid("\\GAMENAME\\kvtu\\"));
    EXPECT_FALSE(reply_valid("\\Gamename\\kvtu\\"));
    EXPECT_TRUE(reply_valid("xxgamenamexx"));
}

TEST(ReplyParts, SplitsAtBackslashUpToTheFirstNul) {
    EXPECT_EQ(reply_parts("\\gamename\\kvtu\\gamever\\1.96"),
              (TStringDynArray{"", "gamename", "kvtu", "gamever", "1.96"}));
    EXPECT_EQ(reply_parts(std::string("\\gamename\\kvtu\0\\x\\y", 19)),
              (TStringDynArray{"", "gamename", "kvtu"}));
    EXPECT_EQ(reply_parts("gamename"), TStringDynArray{"gamename"});
    EXPECT_EQ(StatusReply().size(), 39u);
    EXPECT_EQ(reply_parts(StatusReply().text()).size(), 39u);
}

TEST(ReplyParts, ViewsKeepTheDecodedPositionsAndCountEveryPart) {
    const std::vector<std::string> replies = {
        StatusReply().text(),
        StatusReply().keep(38).text(),
        StatusReply().keep(13).text(),
        StatusReply().set(38, "").text(),        // a trailing separator
        StatusReply().set(60, "beyond").text(),  // more parts than the decode reads
        StatusReply().set(39, "").set(40, "").text(),
        std::string("\\gamename\\kvtu\0\\x\\y", 19),  // the split ends at the NUL byte
        "gamename",
        "",
    };
    for (const std::string& reply : replies) {
        const TStringDynArray parts = reply_parts(reply);
        const kvtu::query::ReplyPartViews views = reply_part_views(reply);
        EXPECT_EQ(views.count, parts.size()) << reply;
        const std::size_t kept = std::min(parts.size(), views.first.size());
        for (std::size_t i = 0; i < kept; ++i) {
            EXPECT_EQ(kvtu::query::part_at(views, i), parts[i]) << reply << " position " << i;
        }
        EXPECT_THROW(kvtu::query::part_at(views, parts.size()), kvtu::RangeError) << reply;
    }
    EXPECT_EQ(reply_part_views(StatusReply().set(60, "beyond").text()).count, 61u);
}

TEST(PartAt, ChecksThePositionAgainstTheLength) {
    const TStringDynArray parts{"a", "b"};
    EXPECT_EQ(kvtu::query::part_at(parts, 1), "b");
    EXPECT_THROW(kvtu::query::part_at(parts, 2), kvtu::RangeError);
    EXPECT_THROW(kvtu::query::part_at(TStringDynArray{}, 0), kvtu::RangeError);
}

TEST(Tables, ServerTypeMatchesOnlyTheExactFlags) {
    EXPECT_EQ(kvtu::query::server_type("1"), "Private");
    EXPECT_EQ(kvtu::query::server_type("0"), "Public");
    for (const char* other : {"", "2", "01", " 1", "1 ", "true"}) {
        EXPECT_FALSE(kvtu::query::server_type(other)) << other;
    }
}

TEST(Tables, StateTextMatchesOnlyTheFiveCodes) {
    EXPECT_EQ(kvtu::query::state_text("2"), "No mission selected");
    EXPECT_EQ(kvtu::query::state_text("6"), "Players assignment");
    EXPECT_EQ(kvtu::query::state_text("9"), "Debriefing");
    EXPECT_EQ(kvtu::query::state_text("13"), "Briefing");
    EXPECT_EQ(kvtu::query::state_text("14"), "Game in Progress");
    for (const char* other : {"", "02", "1", "3", "140", "14 "}) {
        EXPECT_FALSE(kvtu::query::state_text(other)) << other;
    }
}

TEST(Tables, WorldNameAcceptsExactlyThreeFormsOfEachCode) {
    const std::vector<std::pair<std::vector<const char*>, const char*>> worlds = {
        {{"Tarn", "TARN", "tarn"}, "Tarnholm"}, {{"Lusk", "LUSK", "lusk"}, "Luskvar"},
        {{"ORET", "oret", "Oret"}, "Oretsk"},   {{"Prolo", "PROLO", "prolo"}, "Sablecay"},
        {{"Marn", "MARN", "marn"}, "Marnhal"},
    };
    for (const auto& [codes, name] : worlds) {
        for (const char* code : codes) EXPECT_EQ(kvtu::query::world_name(code), name) << code;
    }
    for (const char* other : {"tARN", "TaRn", "oRET", "PrOlO", "", "Tarnholm", "Tarn ", "Mar"}) {
        EXPECT_FALSE(kvtu::query::world_name(other)) << other;
    }
}

TEST(Decode, FullReplyHandsOnEveryTextInTheOrderOfTheReads) {
    EXPECT_EQ(decoded(StatusReply()),
              (std::vector<std::string>{"mission=Ambush", "players=3/16", "version=1.96",
                                        "host=Test host", "type=Public", "state=Game in Progress",
                                        "world=Tarnholm"}));
}

TEST(Decode, MissionDependsOnTheWorldCodeNotOnTheMission) {
    const auto no_world = decoded(StatusReply().set(12, "").set(14, "Ambush"));
    EXPECT_EQ(no_world.front(), "mission=No mission selected");
    EXPECT_EQ(no_world.back(), "state=Game in Progress") << "an empty world code has no name";

    EXPECT_EQ(decoded(StatusReply().set(12, "Tarn").set(14, "")).front(), "mission=");
    // An unknown world still counts as a world: the mission is taken as it is.
    EXPECT_EQ(decoded(StatusReply().set(12, "Nowhere")).front(), "mission=Ambush");
}

TEST(Decode, PlayersAreJoinedBySlashEvenWhenEmpty) {
    EXPECT_EQ(decoded(StatusReply().set(16, "").set(18, ""))[1], "players=/");
    EXPECT_EQ(decoded(StatusReply().set(16, "7").set(18, ""))[1], "players=7/");
}

TEST(Decode, RulesWithoutTextCallNothing) {
    const auto calls = decoded(StatusReply().set(36, "2").set(38, "02").set(12, "tARN"));
    EXPECT_EQ(calls, (std::vector<std::string>{"mission=Ambush", "players=3/16", "version=1.96",
                                               "host=Test host"}));
    EXPECT_EQ(decoded(StatusReply().set(36, "")).size(), 6u);
    EXPECT_EQ(decoded(StatusReply().set(36, "1"))[4], "type=Private");
    EXPECT_EQ(decoded(StatusReply().set(12, "oret")).back(), "world=Oretsk");
    EXPECT_EQ(decoded(StatusReply().set(12, "Prolo")).back(), "world=Sablecay");
}

// Decodes into the reference layout and reports the range error, if any, after the writes.
struct SlotResult {
    TStringDynArray info;
    bool range_error = false;
};

template <class Parts>
SlotResult decode_parts_into_slots(const Parts& parts, TStringDynArray info) {
    SlotResult result{std::move(info)};
    kvtu::query::SlotWriter writer(result.info);
    try {
        decode_reply(parts, writer);
    } catch (const kvtu::RangeError& error) {
        EXPECT_STREQ(error.what(), "Range check error");
        result.range_error = true;
    }
    return result;
}

// Decodes from the texts and from the views of the reply's parts, which must agree.
SlotResult decode_into_slots(const std::string& reply, const TStringDynArray& info) {
    const SlotResult from_texts = decode_parts_into_slots(reply_parts(reply), info);
    const SlotResult from_views = decode_parts_into_slots(reply_part_views(reply), info);
    EXPECT_EQ(from_views.info, from_texts.info) << "decoded from views";
    EXPECT_EQ(from_views.range_error, from_texts.range_error) << "decoded from views";
    return from_texts;
}

TEST(Decode, ThirtyEightPartsWriteSlotsUpToTheServerTypeThenFail) {
    const TStringDynArray old{"addr", "m", "p", "v", "h", "t", "s", "w"};
    for (const char* flag : {"1", "0"}) {
        const auto result = decode_into_slots(StatusReply().set(36, flag).keep(38).text(), old);
        EXPECT_TRUE(result.range_error);
        EXPECT_EQ(result.info, (TStringDynArray{"addr", "Ambush", "3/16", "1.96", "Test host",
                                                flag[0] == '1' ? "Private" : "Public", "s", "w"}));
    }
    const auto unknown_type = decode_into_slots(StatusReply().set(36, "x").keep(38).text(), old);
    EXPECT_TRUE(unknown_type.range_error);
    EXPECT_EQ(unknown_type.info[5], "t");
}

TEST(Decode, ThirtyNinePartsDecodeCompletelyIntoAFreshRecord) {
    const auto result = decode_into_slots(StatusReply().text(), TStringDynArray(8));
    EXPECT_FALSE(result.range_error);
    EXPECT_EQ(result.info, (TStringDynArray{"", "Ambush", "3/16", "1.96", "Test host", "Public",
                                            "Game in Progress", "Tarnholm"}));
}

TEST(Decode, AnEmptyLastPartIsNoPartAtAll) {
    // "...\gameState\" ends in a separator, so position 38 is missing, not empty.
    EXPECT_TRUE(
        decode_into_slots(StatusReply().set(38, "").text(), TStringDynArray(8)).range_error);
}

TEST(Decode, MissingPositionsFailAtTheFirstOneAfterEarlierWrites) {
    const TStringDynArray old{"a", "b", "c", "d", "e", "f", "g", "h"};
    struct Case {
        std::size_t parts;
        TStringDynArray expected;
    };
    const std::vector<Case> cases = {
        {1, old},   // "gamename" alone: fails at position 12 before any write
        {13, old},  // world present, mission missing
        {15, {"a", "Ambush", "c", "d", "e", "f", "g", "h"}},
        {17, {"a", "Ambush", "c", "d", "e", "f", "g", "h"}},
        {19, {"a", "Ambush", "3/16", "1.96", "Test host", "f", "g", "h"}},
        {37, {"a", "Ambush", "3/16", "1.96", "Test host", "Public", "g", "h"}},
    };
    for (const auto& c : cases) {
        const std::string reply = c.parts == 1 ? "gamename" : StatusReply().keep(c.parts).text();
        const auto result = decode_into_slots(reply, old);
        EXPECT_TRUE(result.range_error) << c.parts << " parts";
        EXPECT_EQ(result.info, c.expected) << c.parts << " parts";
    }
}

TEST(Decode, EmptyWorldCodeSkipsTheMissionRead) {
    // Position 14 is missing here, but with position 12 empty it is never read.
    TStringDynArray info(8);
    kvtu::query::SlotWriter writer(info);
    TStringDynArray parts = reply_parts(StatusReply().keep(13).text());
    parts[12] = "";
    EXPECT_THROW(decode_reply(parts, writer), kvtu::RangeError);
    EXPECT_EQ(info[1], "No mission selected");
}

TEST(SlotWriter, RefusesAnArrayTooShortForTheSlot) {
    TStringDynArray info(3);
    kvtu::query::SlotWriter writer(info);
    writer.players("1/2");
    EXPECT_EQ(info[2], "1/2");
    EXPECT_THROW(writer.version("1.96"), kvtu::RangeError);
}

}  // namespace
