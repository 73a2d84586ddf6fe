#include "platform/net/icmp_echo_packet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

namespace icmp = kvtu::net::icmp;
using icmp::Answer;

const std::string payload = "probe data";

// An IPv4 header of 20 bytes carrying ICMP, then the message.
std::string in_datagram(const std::string& message, std::uint8_t protocol = 1) {
    std::string datagram(20, '\0');
    datagram[0] = 0x45;
    datagram[9] = static_cast<char>(protocol);
    return datagram + message;
}

// An error message of the given type quoting a datagram.
std::string error_message(std::uint8_t type, const std::string& quoted_datagram) {
    std::string message(8, '\0');
    message[0] = static_cast<char>(type);
    return message + quoted_datagram;
}

std::string reply_to(std::string request) {
    request[0] = static_cast<char>(icmp::echo_reply_type);
    return request;
}

TEST(IcmpPacket, RequestCarriesTypeNumbersDataAndAValidChecksum) {
    const std::string request = icmp::echo_request(0x1234, 0xfe01, payload);
    ASSERT_EQ(request.size(), 8 + payload.size());
    EXPECT_EQ(static_cast<std::uint8_t>(request[0]), icmp::echo_request_type);
    EXPECT_EQ(request[1], '\0');
    EXPECT_EQ(icmp::identifier_of(request), 0x1234);
    EXPECT_EQ(icmp::sequence_of(request), 0xfe01);
    EXPECT_EQ(request.substr(8), payload);
    // A message with its checksum in place sums to zero, odd length included.
    EXPECT_EQ(icmp::checksum(request), 0);
    EXPECT_EQ(icmp::checksum(icmp::echo_request(1, 2, "odd")), 0);
    // The worked example of the checksum's definition.
    EXPECT_EQ(icmp::checksum(std::string("\x00\x01\xf2\x03\xf4\xf5\xf6\xf7", 8)), 0x220d);
}

TEST(IcmpPacket, EchoReplyIsOursOnlyWithOurNumbersAndOurData) {
    const std::string request = icmp::echo_request(7, 9, payload);
    EXPECT_EQ(icmp::classify(reply_to(request), request), Answer::echo_reply);
    EXPECT_EQ(icmp::classify(reply_to(icmp::echo_request(8, 9, payload)), request),
              Answer::not_ours);
    EXPECT_EQ(icmp::classify(reply_to(icmp::echo_request(7, 10, payload)), request),
              Answer::not_ours);
    EXPECT_EQ(icmp::classify(reply_to(icmp::echo_request(7, 9, "other data")), request),
              Answer::unusable);
    // Our own request, which a raw socket on loopback sees too, and scraps are no answer.
    EXPECT_EQ(icmp::classify(request, request), Answer::not_ours);
    EXPECT_EQ(icmp::classify(reply_to(request).substr(0, 7), request), Answer::not_ours);
    EXPECT_EQ(icmp::classify("", request), Answer::not_ours);
}

TEST(IcmpPacket, ErrorMessagesCountOnlyWhenTheyQuoteOurRequest) {
    const std::string request = icmp::echo_request(7, 9, payload);
    const std::string quoted = in_datagram(request.substr(0, 8));
    EXPECT_EQ(icmp::classify(error_message(icmp::unreachable_type, quoted), request),
              Answer::unreachable);
    EXPECT_EQ(icmp::classify(error_message(icmp::time_exceeded_type, quoted), request),
              Answer::time_exceeded);
    // A parameter problem about our request is an answer we cannot use.
    EXPECT_EQ(icmp::classify(error_message(12, quoted), request), Answer::unusable);

    const std::string other = in_datagram(icmp::echo_request(7, 8, payload));
    EXPECT_EQ(icmp::classify(error_message(icmp::unreachable_type, other), request),
              Answer::not_ours);
    const std::string over_udp = in_datagram(request, 17);
    EXPECT_EQ(icmp::classify(error_message(icmp::unreachable_type, over_udp), request),
              Answer::not_ours);
    // Quoting less than the eight bytes that hold the numbers.
    EXPECT_EQ(icmp::classify(error_message(icmp::unreachable_type, quoted.substr(0, 27)), request),
              Answer::not_ours);
}

TEST(IcmpPacket, MessageIsFoundBehindHeadersOfAnyLength) {
    EXPECT_EQ(icmp::icmp_of_datagram(in_datagram("abc")), "abc");
    std::string with_options = in_datagram("abc");
    with_options[0] = 0x46;
    with_options.insert(20, 4, '\x01');
    EXPECT_EQ(icmp::icmp_of_datagram(with_options), "abc");

    EXPECT_TRUE(icmp::icmp_of_datagram(in_datagram("abc", 6)).empty());
    std::string version_six = in_datagram("abc");
    version_six[0] = 0x65;
    EXPECT_TRUE(icmp::icmp_of_datagram(version_six).empty());
    std::string header_too_long = in_datagram("abc");
    header_too_long[0] = 0x4f;
    EXPECT_TRUE(icmp::icmp_of_datagram(header_too_long).empty());
    std::string header_too_short = in_datagram("abc");
    header_too_short[0] = 0x44;
    EXPECT_TRUE(icmp::icmp_of_datagram(header_too_short).empty());
    EXPECT_TRUE(icmp::icmp_of_datagram(std::string(19, '\x45')).empty());
}

}  // namespace
