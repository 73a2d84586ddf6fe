// The value types of a skin's style file.
#include "launcher/skin_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "platform/core/errors.h"

namespace kvtu::launcher {
namespace {

std::string conversion_error_of(const std::string& text) {
    try {
        HexColorToColor(text);
    } catch (const ConvertError& error) {
        return error.what();
    }
    return "no error";
}

TEST(HexColorToColor, WebColoursBecomeRedInTheLowestByte) {
    EXPECT_EQ(HexColorToColor("#FF8000"), 33023);
    EXPECT_EQ(HexColorToColor("#ff8000"), 0x0080FF);
    EXPECT_EQ(HexColorToColor("#000000"), 0);
    EXPECT_EQ(HexColorToColor("#FFFFFF"), 0xFFFFFF);
    EXPECT_EQ(HexColorToColor("#123456"), 0x563412);
    // The first character is skipped whatever it is.
    EXPECT_EQ(HexColorToColor("x0000FF"), 0xFF0000);
}

TEST(HexColorToColor, ShortLongAndUnmarkedColoursTakeThePairsThatExist) {
    // Without its leading character the first digit is lost: F8000 is red F8.
    EXPECT_EQ(HexColorToColor("FF8000"), 0xF8);
    // #FFF: red FF, green 0F, blue nothing.
    EXPECT_EQ(HexColorToColor("#FFF"), 0x0FFF);
    EXPECT_EQ(HexColorToColor("#F"), 0xF);
    // Only the first seven characters count.
    EXPECT_EQ(HexColorToColor("#FF800012345"), 0x0080FF);
}

TEST(HexColorToColor, TextsWithoutHexDigitsFailWithTheJoinedText) {
    EXPECT_EQ(conversion_error_of(""), "'$' is not a valid integer value");
    EXPECT_EQ(conversion_error_of("#"), "'$' is not a valid integer value");
    EXPECT_EQ(conversion_error_of("#GG0000"), "'$0000GG' is not a valid integer value");
    EXPECT_EQ(conversion_error_of("#XYZ"), "'$ZXY' is not a valid integer value");
    EXPECT_EQ(conversion_error_of("# 12345"), "'$4523 1' is not a valid integer value");
    EXPECT_EQ(conversion_error_of("#-10000"), "'$0000-1' is not a valid integer value");
}

TEST(StyleList, OnlyTheFourExactTokensAddTheirStyle) {
    EXPECT_EQ(style_list("bold;italic"), (FontStyles{true, true, false, false}));
    EXPECT_EQ(style_list("underline;striked"), (FontStyles{false, false, true, true}));
    EXPECT_EQ(style_list("Bold"), FontStyles{});
    EXPECT_EQ(style_list("bold; italic"), (FontStyles{true, false, false, false}));
    EXPECT_EQ(style_list("bold;;"), (FontStyles{true, false, false, false}));
    EXPECT_EQ(style_list(";;italic;strike"), (FontStyles{false, true, false, false}));
    EXPECT_EQ(style_list(""), FontStyles{});
}

TEST(ProfileValues, IntegersAreDecimalOrHexadecimalAndAnythingElseIsZero) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"20", 20},
        {"+20", 20},
        {"-5", -5},
        {"007", 7},
        {"$20", 32},
        {"$fF", 255},
        {"0x20", 32},
        {"0x7FFFFFFF", INT32_MAX},
        {"-2147483648", INT32_MIN},
        // The port conversion's other forms are no style-file integers.
        {"x20", 0},
        {"X20", 0},
        {"0X20", 0},
        {"-$20", 0},
        {"+0x20", 0},
        {" 20", 0},
        {"$", 0},
        {"0x", 0},
        {"-", 0},
        {"", 0},
        {"20px", 0},
        {"2a", 0},
        {"$20 ", 0},
        {"2147483648", 0},
        {"$80000000", 0},
        {"99999999999999999999", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(profile_integer(text), value) << text;
}

TEST(ProfileValues, FlagIsOnOnlyForExactlyYes) {
    EXPECT_TRUE(profile_flag("yes"));
    for (const char* text : {"Yes", "YES", "yes ", "1", "", "true"}) {
        EXPECT_FALSE(profile_flag(text)) << text;
    }
}

}  // namespace
}  // namespace kvtu::launcher
