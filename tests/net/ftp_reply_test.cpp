#include "platform/net/ftp_reply.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/errors.h"

namespace {

using kvtu::net::FtpReplyReader;
using kvtu::net::passive_port;

using Replies = std::vector<std::pair<int, std::string>>;

// Every reply in the bytes, handed over in pieces of the given size.
Replies read_all(const std::string& bytes, std::size_t piece_size) {
    FtpReplyReader reader;
    reader.start(1 << 16);
    Replies replies;
    for (std::size_t at = 0; at < bytes.size(); at += piece_size) {
        reader.add(std::string_view(bytes).substr(at, piece_size));
        while (const auto reply = reader.take()) replies.emplace_back(reply->code, reply->text);
    }
    return replies;
}

TEST(FtpReplyReader, RepliesComeOutWholeHoweverTheBytesArrive) {
    const std::string stream =
        "120 Ready in a moment.\r\n"
        "220-Welcome\r\n"
        "inner line without a code\r\n"
        "220-another\r\n"
        "220 last\r\n"
        "331 Password required.\n"  // a bare line feed ends a line too
        "230\r\n"
        "227 Entering Passive Mode (127,0,0,1,4,5)\r\n";
    const Replies expected = {{120, "Ready in a moment."},
                              {220, "Welcome\ninner line without a code\nanother\nlast"},
                              {331, "Password required."},
                              {230, ""},
                              {227, "Entering Passive Mode (127,0,0,1,4,5)"}};
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, stream.size()}) {
        EXPECT_EQ(read_all(stream, piece), expected) << "pieces of " << piece;
    }

    // A line that is no reply breaks the conversation.
    FtpReplyReader reader;
    reader.start(1 << 16);
    reader.add("Hello\r\n");
    EXPECT_THROW(reader.take(), kvtu::SocketError);

    // The size limit counts the line that has not ended yet too: a reply of exactly the limit
    // is taken however its bytes arrive, and a line that goes past it is refused before its end
    // comes, so that a server sending without line breaks cannot grow the buffer.
    const std::string text(90, 'x');
    const std::string exact = "220 " + text + "\r\n";
    for (const std::size_t piece : {std::size_t{1}, exact.size()}) {
        FtpReplyReader limited;
        limited.start(exact.size());
        std::optional<kvtu::net::FtpReply> reply;
        for (std::size_t at = 0; at < exact.size(); at += piece) {
            EXPECT_FALSE(reply) << "a reply before its last byte, pieces of " << piece;
            limited.add(std::string_view(exact).substr(at, piece));
            reply = limited.take();
        }
        ASSERT_TRUE(reply) << "pieces of " << piece;
        EXPECT_EQ(reply->code, 220);
        EXPECT_EQ(reply->text, text);
    }
    FtpReplyReader endless;
    endless.start(exact.size());
    endless.add("220 " + std::string(exact.size() - 4, 'x'));
    EXPECT_FALSE(endless.take());
    endless.add("x");
    EXPECT_THROW(endless.take(), kvtu::FtpError);
}

TEST(FtpPassiveReply, TheFormsServersSendGiveThePortAndNothingElseDoes) {
    for (const char* text :
         {"Entering Passive Mode (127,0,0,1,4,5)", "Entering Passive Mode (127,0,0,1,4,5).",
          "Entering Passive Mode 127,0,0,1,4,5", "Entering Passive Mode 127,0,0,1,4,5.",
          "=127,0,0,1,4,5", "Entering Passive Mode (127,000,000,001,004,005)"}) {
        EXPECT_EQ(passive_port(text), 4 * 256 + 5) << text;
    }
    EXPECT_EQ(passive_port("(127,0,0,1,255,255)"), 65535);
    for (const char* text :
         {"Entering Passive Mode (1127,0,0,1,4,5)", "Entering Passive Mode (127,0,0,1,4,256)",
          "(127,0,0,1,4,5,6)", "(127,0,0,1,4)", "(127,0,0,1,,5)", "(127,0,0,1,-4,5)",
          "(127,0,0,1, 4,5)", "127,0,0,1,4,5x", "-127,0,0,1,4,5", "v127,0,0,1,4,5",
          "127,0,0,1,4,5.5", "Entering Passive Mode", ""}) {
        EXPECT_FALSE(passive_port(text)) << text;
    }
}

}  // namespace
