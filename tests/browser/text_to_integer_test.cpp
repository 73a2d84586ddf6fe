#include "platform/core/text_to_integer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/errors.h"

namespace {

using kvtu::text_to_integer;

TEST(TextToInteger, AcceptsBlanksSignsDecimalAndTheFourHexadecimalPrefixes) {
    EXPECT_EQ(text_to_integer("2303"), 2303);
    EXPECT_EQ(text_to_integer("   2303"), 2303);
    EXPECT_EQ(text_to_integer("+21"), 21);
    EXPECT_EQ(text_to_integer("-21"), -21);
    EXPECT_EQ(text_to_integer("007"), 7);
    EXPECT_EQ(text_to_integer("$15"), 21);
    EXPECT_EQ(text_to_integer("x15"), 21);
    EXPECT_EQ(text_to_integer("X1f"), 31);
    EXPECT_EQ(text_to_integer("0x15"), 21);
    EXPECT_EQ(text_to_integer(" -$Ff"), -255);
    EXPECT_EQ(text_to_integer("2147483647"), 2147483647);
    EXPECT_EQ(text_to_integer("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(text_to_integer("$7FFFFFFF"), 2147483647);
    EXPECT_EQ(text_to_integer("-$80000000"), -2147483647 - 1);
    EXPECT_EQ(text_to_integer("0000000000000000000000000001"), 1);
}

TEST(TextToInteger, RefusesEverythingElseWithTheTextInTheMessage) {
    const std::vector<std::string> refused = {"",          " ",          "+",
                                              "-",         "$",          "0x",
                                              "x",         "abc",        "23 03",
                                              "2303 ",     "2303\t",     "\t2303",
                                              "1.5",       "+-1",        "$G",
                                              "0X15",      "2147483648", "-2147483649",
                                              "$80000000", "$FFFFFFFF",  "99999999999999999999",
                                              "\xd9\xa3"};
    for (const std::string& text : refused) {
        try {
            text_to_integer(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const kvtu::ConvertError& error) {
            EXPECT_EQ(error.what(), "'" + text + "' is not a valid integer value");
        }
    }
    // A NUL byte is a character like any other, not the end of the text.
    EXPECT_THROW(text_to_integer(std::string("23\0"
                                             "03",
                                             5)),
                 kvtu::ConvertError);
}

}  // namespace
