#include "platform/ui/list_ordering.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using kvtu::ui::LetterCase;
using kvtu::ui::list_compare;
using kvtu::ui::list_less;
using kvtu::ui::SortedList;

// Each pair in the order the rows show it, in UTF-8 and in Windows-1252 where both exist.
TEST(ListOrdering, AlphabeticalFirstThenAccentsThenCaseThenHyphens) {
    const std::vector<std::pair<std::string, std::string>> ascending = {
        {"alpha:2303", "Zeta:2303"},
        {"host:2303", "Host:2303"},
        {"Host:2303", "hosts:2303"},
        {"abc", "ABD"},
        // An accented letter sorts with its plain letter, after it; lower before upper.
        {"u", "\xc3\xbc"},
        {"u", "\xfc"},
        {"\xc3\xbc", "v"},
        {"\xfc", "\xdc"},
        {"\xc3\xbc", "\xc3\x9c"},
        {"M\xc3\xbcller", "Muller2"},
        // The characters shown count, not the bytes: the two bytes of a UTF-8 "ü" are no "Ã".
        {"Grb", "Gr\xc3\xbcn"},
        {"Grb", "Gr\xfcn"},
        // Windows-1252's own letters: "Š" is an S.
        {"Sa",
         "\x8a"
         "a"},
        {"\x8a"
         "a",
         "Sb"},
        {"Sa",
         "\xc5\xa0"
         "a"},
        {"z", "\xfe"},      // thorn after z
        {"z", "\xd1\x88"},  // other scripts after the Latin letters
        // "Æ" and "ß" are two letters each, told apart from the two written out later.
        {"ac",
         "\xc3\xa6"
         "b"},  // æb is aeb
        {"ac",
         "\xe6"
         "b"},
        {"Aero", "\xc3\x86r\xc3\xb8"},
        {"strasse",
         "stra\xc3\x9f"
         "e"},
        {"stra\xdf"
         "e",
         "strast"},
        {"oe", "\xc5\x93"},
        // Symbols before digits before letters.
        {" a", "1"},
        {":", "0"},
        {"9", "a"},
        {"10.0.0.1:2303", "a:1"},
        {"", "a"},
        // Hyphens and apostrophes count only when nothing else differs; the text without sorts
        // first.
        {"co-op", "cooq"},
        {"coop", "co-op"},
        {"eu1", "eu-1"},
        {"its", "it's"},
        {"co-op", "Coop"},
    };
    for (const auto& [first, second] : ascending) {
        EXPECT_TRUE(list_less(first, second)) << first << " / " << second;
        EXPECT_FALSE(list_less(second, first)) << first << " / " << second;
    }
}

// List boxes and combo boxes compare regardless of case: case orders only texts that would
// otherwise be equal, so there a hyphen comes before case.
TEST(ListOrdering, CaseIgnoredDecidesOnlyTies) {
    const LetterCase ignored = LetterCase::ignored;
    EXPECT_TRUE(list_less("Coop", "co-op", ignored));
    EXPECT_TRUE(list_less("co-op", "Coop", LetterCase::counts));
    EXPECT_TRUE(list_less("readme.txt", "Readme.txt", ignored));
    EXPECT_TRUE(list_less("a.cfg", "B.cfg", ignored));
    EXPECT_TRUE(list_less("old.cfg.bak", "readme.txt", ignored));
    EXPECT_TRUE(list_less("readme.txt", "Server.CFG", ignored));
}

TEST(ListOrdering, IsATotalOrderEqualOnlyForEqualBytes) {
    const std::vector<std::string> texts = {
        "",         "a",         "A",         "b",          "-",
        "'",        "a-b",       "ab",        "a'b",        "\xe4",
        "\xc4",     "\xc3\xa4",  "\xc3\x84",  "1",          "01",
        "a:1",      "A:1",       "a:01",      " ",          "\x01",
        "z",        "\xff",      "\xdf",      "ss",         "SS",
        "\xc3\x9f", "\xd7",      "Zeta:2303", "alpha:2303", "ae",
        "\xe6",     "\xc6",      "\xc3\xa6",  "coop",       "co-op",
        "Coop",     "a\xcc\x88", "\xd1\x88",  "\xd0\xa8",   "\xf0\x9f\x98\x80"};
    for (const LetterCase letter_case : {LetterCase::counts, LetterCase::ignored}) {
        for (const std::string& left : texts) {
            for (const std::string& right : texts) {
                const int forward = list_compare(left, right, letter_case);
                const int backward = list_compare(right, left, letter_case);
                EXPECT_EQ(forward == 0, left == right) << left << " / " << right;
                EXPECT_EQ(forward<0, backward> 0) << left << " / " << right;
            }
        }
        std::vector<std::string> sorted = texts;
        std::sort(sorted.begin(), sorted.end(), [letter_case](const auto& l, const auto& r) {
            return list_less(l, r, letter_case);
        });
        for (std::size_t i = 0; i < sorted.size(); ++i) {
            for (std::size_t j = i + 1; j < sorted.size(); ++j) {
                EXPECT_LT(list_compare(sorted[i], sorted[j], letter_case), 0)
                    << sorted[i] << " / " << sorted[j];
            }
        }
    }
}

// Names added in batches of every size, in a random order and with repeats, end where adding
// them one by one would put them: sorted, and equal names in the order they came.
TEST(ListOrdering, SortedListPlacesBatchesAsSingleAdditionsWould) {
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) {
        const int stem = i % 1000;  // every stem three times
        names.push_back((i % 7 == 0 ? "Map" : "map") + std::to_string(stem % 97) +
                        (stem % 5 == 0 ? "-b" : "b") + (stem % 11 == 0 ? "\xfc" : "") + ".cfg");
    }
    std::mt19937 random(11);
    std::shuffle(names.begin(), names.end(), random);

    for (const LetterCase letter_case : {LetterCase::counts, LetterCase::ignored}) {
        SortedList order(letter_case);
        // The control: each entry keeps the index of the name, so that repeats can be told apart.
        std::vector<std::size_t> shown;
        std::size_t next = 0;
        for (const std::size_t batch : {1, 0, 5, 1, 700, 2, 1300, 991}) {
            const std::vector<std::string> added(names.begin() + next,
                                                 names.begin() + next + batch);
            std::size_t last_position = shown.size() + 1;
            for (const SortedList::Run& run : order.add(added)) {
                EXPECT_LT(run.position, last_position);  // from the last place to the first
                last_position = run.position;
                std::vector<std::size_t> run_names;
                for (const std::size_t index : run.texts) run_names.push_back(next + index);
                shown.insert(shown.begin() + static_cast<std::ptrdiff_t>(run.position),
                             run_names.begin(), run_names.end());
            }
            next += batch;
            ASSERT_EQ(order.size(), next);
        }
        ASSERT_EQ(shown.size(), names.size());
        std::vector<std::size_t> expected(names.size());
        for (std::size_t i = 0; i < expected.size(); ++i) expected[i] = i;
        std::stable_sort(expected.begin(), expected.end(), [&](std::size_t l, std::size_t r) {
            return list_less(names[l], names[r], letter_case);
        });
        EXPECT_EQ(shown, expected);
    }
}

}  // namespace
