#include "query/explode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "status_reply.h"

namespace {

using kvtu::TStringDynArray;
using Pieces = TStringDynArray;
using kvtu::test::StatusReply;

// The NUL-terminated form; nullptr is an absent argument.
Pieces split_cstr(const char* separator, const char* text, std::int32_t limit = 0) {
    TStringDynArray result;
    kvtu::explode_cstr(separator, text, limit, result);
    return result;
}

// Both forms must agree on texts without NUL bytes when both arguments are non-empty.
void expect_both(const std::string& separator, const std::string& text, std::int32_t limit,
                 const Pieces& expected) {
    EXPECT_EQ(kvtu::explode(separator, text, limit), expected)
        << "counted form, text '" << text << "' limit " << limit;
    EXPECT_EQ(split_cstr(separator.c_str(), text.c_str(), limit), expected)
        << "NUL-terminated form, text '" << text << "' limit " << limit;
}

TEST(Explode, SplitsAtEverySeparatorWithEmptyPiecesWhereSeparatorsMeet) {
    expect_both(":", "a:b:c", 0, {"a", "b", "c"});
    expect_both(":", ":a", 0, {"", "a"});
    expect_both(":", "a::b", 0, {"a", "", "b"});
    expect_both(":", "::", 0, {"", ""});
}

TEST(Explode, TrailingSeparatorGivesNoEmptyLastPiece) {
    expect_both(":", "a:b:", 0, {"a", "b"});
    expect_both(":", ":", 0, {""});
    expect_both("\\", "\\gamename\\x\\", 0, {"", "gamename", "x"});
}

TEST(Explode, PositiveLimitLetsTheLastAllowedPieceTakeTheRest) {
    expect_both(":", "a:b:c", 2, {"a", "b:c"});
    expect_both(":", "a:b:c", 1, {"a:b:c"});
    expect_both(":", "a:b:", 2, {"a", "b:"});
    expect_both(":", "a:b:c:d:e:f:g", 6, {"a", "b", "c", "d", "e", "f:g"});
}

TEST(Explode, LimitAboveThePieceCountShrinksTheResultToTheCount) {
    expect_both(":", "a:b:c", 5, {"a", "b", "c"});
    expect_both(":", "a:b:c", 7, {"a", "b", "c"});
    expect_both(":", "a", INT_MAX, {"a"});
}

TEST(Explode, NegativeLimitGivesNothing) {
    expect_both(":", "a:b:c", -1, {});
    expect_both(":", "a:b:c", INT_MIN, {});
    EXPECT_TRUE(split_cstr(nullptr, "abc", -1).empty());
}

TEST(Explode, ResultNeverKeepsSpareElementsFromGrowth) {
    // Counts that cross and land on a step of the designed growth (5 elements at a time).
    EXPECT_EQ(kvtu::explode(":", "1:2:3:4:5:6:7").size(), 7u);
    EXPECT_EQ(kvtu::explode(":", "1:2:3:4:5:6:7:8:9:10").size(), 10u);
    EXPECT_EQ(kvtu::explode(":", "1:2:3:4:5").size(), 5u);
    EXPECT_EQ(kvtu::explode(":", "1:2:3:4:5:6").back(), "6");
    std::string text = "0";
    for (std::size_t pieces = 1; pieces <= 16; ++pieces, text += ":" + std::to_string(pieces)) {
        EXPECT_EQ(kvtu::explode(":", text).size(), pieces) << text;
        EXPECT_EQ(kvtu::explode(":", text, 3).size(), std::min<std::size_t>(pieces, 3)) << text;
    }
}

TEST(Explode, MultiCharacterSeparatorsAreFoundLeftToRightWithoutOverlap) {
    expect_both("::", "a::::b", 0, {"a", "", "b"});
    expect_both("::", "a:::b", 0, {"a", ":b"});
    expect_both("ab", "xabyabz", 0, {"x", "y", "z"});
    expect_both("::", ":", 0, {":"});
}

TEST(Explode, AbsentOrEmptySeparatorGivesTheWholeText) {
    EXPECT_EQ(kvtu::explode("", "abc"), Pieces{"abc"});
    EXPECT_EQ(split_cstr(nullptr, "abc"), Pieces{"abc"});
    EXPECT_EQ(split_cstr("", "abc"), Pieces{"abc"});
    // The limit plays no part without a separator.
    EXPECT_EQ(split_cstr(nullptr, "a:b", 1), Pieces{"a:b"});
    EXPECT_EQ(kvtu::explode("", "a:b", 3), Pieces{"a:b"});
}

TEST(Explode, EmptyTextDiffersBetweenTheFormsOnlyWithoutSeparator) {
    EXPECT_EQ(split_cstr(nullptr, ""), Pieces{""});
    EXPECT_TRUE(kvtu::explode("", "").empty());
    EXPECT_TRUE(split_cstr(":", "").empty());
    EXPECT_TRUE(split_cstr("", "").empty());
    EXPECT_TRUE(kvtu::explode(":", "").empty());
}

TEST(Explode, AbsentTextGivesNothingWhateverTheSeparator) {
    EXPECT_TRUE(split_cstr(nullptr, nullptr).empty());
    EXPECT_TRUE(split_cstr(":", nullptr).empty());
    EXPECT_TRUE(split_cstr("", nullptr).empty());
}

TEST(Explode, SearchEndsAtTheFirstNulByte) {
    const std::string text("a:b\0c:d", 7);
    EXPECT_EQ(kvtu::explode(":", text), (Pieces{"a", "b"}));
    // A NUL right at the start leaves nothing to split.
    EXPECT_TRUE(kvtu::explode(":", std::string("\0a:b", 4)).empty());
    // The separator is seen up to its NUL too; an empty one is never found.
    EXPECT_EQ(kvtu::explode(std::string(":\0x", 3), "a:b"), (Pieces{"a", "b"}));
    EXPECT_EQ(kvtu::explode(std::string("\0:", 2), "a:b"), Pieces{"a:b"});
}

TEST(Explode, WithoutSeparatorTheCountedFormKeepsEveryByte) {
    const std::string text("a\0b", 3);
    EXPECT_EQ(kvtu::explode("", text), Pieces{text});
}

TEST(Explode, EmptiesAResultThatHeldAnEarlierArray) {
    TStringDynArray result{"old", "older", "oldest"};
    kvtu::explode(":", "x", 0, result);
    EXPECT_EQ(result, Pieces{"x"});
    kvtu::explode_cstr(":", nullptr, 0, result);
    EXPECT_TRUE(result.empty());
    result = {"old"};
    kvtu::explode(":", "a:b", -1, result);
    EXPECT_TRUE(result.empty());
}

TEST(Explode, FirstPiecesFormKeepsAPrefixOfTheSameSplitAndCountsItAll) {
    struct Case {
        std::string separator, text;
        std::int32_t limit;
    };
    const std::vector<Case> cases = {
        {":", "a:b:c", 0},
        {":", ":a", 0},
        {":", "a::b", 0},
        {":", "a:b:", 0},
        {":", ":", 0},
        {":", "", 0},
        {":", "a:b:c", 2},
        {":", "a:b:c", 1},
        {":", "a:b:c", 5},
        {":", "a:b:c", -1},
        {"::", "a::::b", 0},
        {"", "a:b", 0},
        {":", std::string("a:b\0c:d", 7), 0},
        {"\\", StatusReply().text(), 0},
    };
    for (const Case& c : cases) {
        const Pieces whole = kvtu::explode(c.separator, c.text, c.limit);
        for (std::size_t room : {std::size_t{0}, std::size_t{1}, whole.size(), whole.size() + 2}) {
            std::vector<std::string_view> first(room, "untouched");
            EXPECT_EQ(kvtu::explode_first(c.separator, c.text, c.limit, first), whole.size())
                << "text '" << c.text << "' limit " << c.limit << " room " << room;
            for (std::size_t i = 0; i < room; ++i) {
                EXPECT_EQ(first[i], i < whole.size() ? std::string_view(whole[i]) : "untouched")
                    << "text '" << c.text << "' limit " << c.limit << " piece " << i;
            }
        }
    }
}

TEST(Explode, BytesAreTakenAsTheyAre) {
    expect_both("\\", "\xe9t\xe9\\\xff", 0, {"\xe9t\xe9", "\xff"});
}

}  // namespace
