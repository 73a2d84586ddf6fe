#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/core/errors.h"

namespace {

TEST(ErrorMessages, SocketErrorNamesNumberThenSystemTextOnNextLine) {
    kvtu::SocketError error(kvtu::socket_error_message(ECONNREFUSED));
    EXPECT_EQ(std::string(error.what()), "Socket Error # " + std::to_string(ECONNREFUSED) + "\n" +
                                             std::strerror(ECONNREFUSED));
}

TEST(ErrorMessages, HostNotFoundNamesTheHostThenTheResolversTextOnNextLine) {
    EXPECT_EQ(kvtu::host_not_found_message("game.invalid", "Name or service not known"),
              "Host \"game.invalid\" not found.\nName or service not known");
}

TEST(ErrorMessages, RangeErrorIsARangeErrorWithTheRunTimeText) {
    try {
        kvtu::throw_range_error();
        FAIL() << "no error raised";
    } catch (const kvtu::RangeError& error) {
        EXPECT_STREQ(error.what(), "Range check error");
    }
}

TEST(ErrorMessages, FileMessagesQuoteThePath) {
    EXPECT_EQ(kvtu::cannot_open_file_message("/x/y.ini", ENOENT),
              std::string("Cannot open file \"/x/y.ini\". ") + std::strerror(ENOENT));
    EXPECT_EQ(kvtu::cannot_create_file_message("/x", EACCES),
              std::string("Cannot create file \"/x\". ") + std::strerror(EACCES));
}

}  // namespace
