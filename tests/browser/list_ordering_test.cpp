#include "platform/ui/list_ordering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using kvtu::ui::list_compare;
using kvtu::ui::list_less;

TEST(ListOrdering, AlphabeticalFirstThenAccentsThenLowerBeforeUpper) {
    EXPECT_TRUE(list_less("alpha:2303", "Zeta:2303"));
    EXPECT_TRUE(list_less("host:2303", "Host:2303"));
    EXPECT_TRUE(list_less("Host:2303", "hosts:2303"));
    EXPECT_TRUE(list_less("abc", "ABD"));
    // Latin-1: an accented letter sorts with its plain letter, after it.
    EXPECT_TRUE(list_less("u", "\xfc"));     // u, u umlaut
    EXPECT_TRUE(list_less("\xfc", "v"));     // u umlaut, v
    EXPECT_TRUE(list_less("\xfc", "\xdc"));  // lower before upper also with accents
    EXPECT_TRUE(list_less("M\xfcller", "Muller2"));
    EXPECT_TRUE(list_less("z", "\xfe"));  // thorn after z
}

TEST(ListOrdering, SymbolsBeforeDigitsBeforeLettersAndHyphensCountLast) {
    EXPECT_TRUE(list_less(" a", "1"));
    EXPECT_TRUE(list_less(":", "0"));
    EXPECT_TRUE(list_less("9", "a"));
    EXPECT_TRUE(list_less("10.0.0.1:2303", "a:1"));
    EXPECT_TRUE(list_less("", "a"));
    // A hyphen is passed over while anything else differs.
    EXPECT_TRUE(list_less("co-op", "cooq"));
    EXPECT_TRUE(list_less("coop", "co-op") != list_less("co-op", "coop"));
}

TEST(ListOrdering, IsATotalOrderEqualOnlyForEqualTexts) {
    const std::vector<std::string> texts = {
        "",     "a",    "A",    "b",  "-",    "'",         "a-b",       "ab", "a'b",
        "\xe4", "\xc4", "1",    "01", "a:1",  "A:1",       "a:01",      " ",  "\x01",
        "z",    "\xff", "\xdf", "ss", "\xd7", "Zeta:2303", "alpha:2303"};
    for (const std::string& left : texts) {
        for (const std::string& right : texts) {
            const int forward = list_compare(left, right);
            const int backward = list_compare(right, left);
            EXPECT_EQ(forward == 0, left == right) << left << " / " << right;
            EXPECT_EQ(forward<0, backward> 0) << left << " / " << right;
        }
    }
    std::vector<std::string> sorted = texts;
    std::sort(sorted.begin(), sorted.end(), list_less);
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        for (std::size_t j = i + 1; j < sorted.size(); ++j) {
            EXPECT_LT(list_compare(sorted[i], sorted[j]), 0) << sorted[i] << " / " << sorted[j];
        }
    }
}

}  // namespace
