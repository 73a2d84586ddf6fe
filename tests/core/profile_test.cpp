#include "platform/core/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "hive_test_files.h"
#include "test_environment.h"

namespace kvtu {
namespace {

using kvtu::test::put_file;
using kvtu::test::sandbox;

std::string profile_with(const std::string& bytes) {
    const auto path = sandbox() / "skin" / "styleconfig.ini";
    put_file(path, bytes);
    return path.string();
}

TEST(ProfileTest, NamesMatchRegardlessOfCaseAndBlanksAroundThemAreDropped) {
    const auto file = profile_with(
        "[madeby]\r\n"
        "stylename=Night Sky\r\n"
        "  Version =  1.2 beta \t\r\n"
        "\r\n"
        "[Font_Settings]\r\n"
        "Family=Tahoma\r\n");
    EXPECT_EQ(read_profile_string(file, "madeby", "stylename"), "Night Sky");
    EXPECT_EQ(read_profile_string(file, "MADEBY", "version"), "1.2 beta");
    EXPECT_EQ(read_profile_string(file, "font_settings", "family"), "Tahoma");
    EXPECT_EQ(read_profile_string(file, "font_settings", "FAMILY"), "Tahoma");
}

TEST(ProfileTest, OnePairOfEnclosingQuotationMarksIsRemoved) {
    const auto file = profile_with(
        "[madeby]\n"
        "stylename=\"  Night Sky  \"\n"
        "version='1.2'\n"
        "madewith=\"\"twice\"\"\n"
        "from=\"unbalanced\n"
        "contact=\"mixed'\n"
        "date=say \"hi\" there\n"
        "empty=\"\"\n"
        "lone=\"\n");
    EXPECT_EQ(read_profile_string(file, "madeby", "stylename"), "  Night Sky  ");
    EXPECT_EQ(read_profile_string(file, "madeby", "version"), "1.2");
    EXPECT_EQ(read_profile_string(file, "madeby", "madewith"), "\"twice\"");
    EXPECT_EQ(read_profile_string(file, "madeby", "from"), "\"unbalanced");
    EXPECT_EQ(read_profile_string(file, "madeby", "contact"), "\"mixed'");
    EXPECT_EQ(read_profile_string(file, "madeby", "date"), "say \"hi\" there");
    EXPECT_EQ(read_profile_string(file, "madeby", "empty"), "");
    EXPECT_EQ(read_profile_string(file, "madeby", "lone"), "\"");
}

TEST(ProfileTest, MissingOrUnreadableFileSectionOrKeyReadsEmpty) {
    const auto file = profile_with("[madeby]\nstylename=Night\n");
    EXPECT_EQ(read_profile_string((sandbox() / "none.ini").string(), "madeby", "stylename"), "");
    EXPECT_EQ(read_profile_string(sandbox().string(), "madeby", "stylename"), "");
    const auto pipe = sandbox() / "pipe.ini";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(read_profile_string(pipe.string(), "madeby", "stylename"), "");
    EXPECT_EQ(read_profile_string(file, "made", "stylename"), "");
    EXPECT_EQ(read_profile_string(file, "madeby", "style"), "");
    EXPECT_EQ(read_profile_string(profile_with(""), "madeby", "stylename"), "");
    // A file larger than any profile is taken as unreadable.
    const auto huge = sandbox() / "huge.ini";
    put_file(huge, "[madeby]\nstylename=Night\n");
    EXPECT_EQ(read_profile_string(huge.string(), "madeby", "stylename"), "Night");
    std::filesystem::resize_file(huge, (16 << 20) + 1);
    EXPECT_EQ(read_profile_string(huge.string(), "madeby", "stylename"), "");
}

TEST(ProfileTest, FirstSectionAndFirstEntryOfANameWin) {
    const auto file = profile_with(
        "[madeby]\n"
        "stylename=first\n"
        "STYLENAME=second\n"
        "[other]\n"
        "version=other's\n"
        "[MadeBy]\n"
        "stylename=third\n"
        "version=only in the repeated section\n");
    EXPECT_EQ(read_profile_string(file, "madeby", "stylename"), "first");
    EXPECT_EQ(read_profile_string(file, "madeby", "version"), "");
    EXPECT_EQ(read_profile_string(file, "other", "version"), "other's");
}

TEST(ProfileTest, EntriesBelongOnlyToTheirOwnSection) {
    const auto file = profile_with(
        "stylename=before any section\n"
        "; stylename=in a comment\n"
        "[madeby]\n"
        ";stylename=commented out\n"
        "stylename\n"
        "version=1=2\n"
        "from=\n"
        "[madeby2]\n"
        "contact=mail\n"
        "[date]\n"
        "[unclosed\n"
        "date=today");
    EXPECT_EQ(read_profile_string(file, "madeby", "stylename"), "");
    EXPECT_EQ(read_profile_string(file, "madeby", "version"), "1=2");
    EXPECT_EQ(read_profile_string(file, "madeby", "from"), "");
    EXPECT_EQ(read_profile_string(file, "madeby", "contact"), "");
    EXPECT_EQ(read_profile_string(file, "madeby2", "contact"), "mail");
    // A line that opens no section is an entry line of the section before it.
    EXPECT_EQ(read_profile_string(file, "date", "date"), "today");
}

TEST(ProfileTest, ValuesAreCutTo2047Characters) {
    const std::string long_value(3000, 'x');
    const auto file = profile_with("[madeby]\nstylename=" + long_value + "\nversion=\"" +
                                   std::string(2047, 'y') + "\"\n");
    EXPECT_EQ(read_profile_string(file, "madeby", "stylename"), std::string(2047, 'x'));
    EXPECT_EQ(read_profile_string(file, "madeby", "version"), std::string(2047, 'y'));
}

TEST(ProfileTest, EveryLineEndBlanksInBracketsAndAByteOrderMarkAreRead) {
    const std::string body =
        "[ madeby ]|stylename=Night|\t[\tFont_Settings  ]  |family=Tahoma||size=9|[x]|";
    for (const std::string line_end : {"\n", "\r\n", "\r", "mixed"}) {
        std::string bytes = "\xEF\xBB\xBF";
        int count = 0;
        for (const char c : body) {
            const char* mixed[] = {"\r\n", "\r", "\n"};
            bytes += c != '|'              ? std::string(1, c)
                     : line_end == "mixed" ? mixed[count++ % 3]
                                           : line_end;
        }
        const auto file = profile_with(bytes);
        EXPECT_EQ(read_profile_string(file, "madeby", "stylename"), "Night") << line_end;
        EXPECT_EQ(read_profile_string(file, "font_settings", "family"), "Tahoma") << line_end;
        EXPECT_EQ(read_profile_string(file, "font_settings", "size"), "9") << line_end;
    }
    // Texts keep their bytes, UTF-8 or not.
    const auto file = profile_with("\xEF\xBB\xBF[madeby]\rfrom=J\xF6rg\rdate=J\xC3\xB6rg\r");
    EXPECT_EQ(read_profile_string(file, "madeby", "from"), "J\xF6rg");
    EXPECT_EQ(read_profile_string(file, "madeby", "date"), "J\xC3\xB6rg");
}

}  // namespace
}  // namespace kvtu
