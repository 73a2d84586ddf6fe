#pragma once
// The ICMP messages of one echo: building the request and telling whether a received message
// answers it. Kept apart from the sockets so that every kind of answer can be checked without
// a network that produces it.
#include <cstdint>
#include <string>
#include <string_view>

namespace kvtu::net::icmp {

inline constexpr std::uint8_t echo_reply_type = 0;
inline constexpr std::uint8_t unreachable_type = 3;
inline constexpr std::uint8_t echo_request_type = 8;
inline constexpr std::uint8_t time_exceeded_type = 11;
inline constexpr std::size_t header_size = 8;

// The Internet checksum (ones' complement sum of 16-bit words).
std::uint16_t checksum(std::string_view bytes);

// An echo request with its checksum set.
std::string echo_request(std::uint16_t identifier, std::uint16_t sequence,
                         std::string_view payload);

std::uint16_t identifier_of(std::string_view message);
std::uint16_t sequence_of(std::string_view message);
// Puts another identifier into a request; the checksum is left as it is (the kernel, which
// chose the identifier, also computes the checksum of what it sends).
void set_identifier(std::string& message, std::uint16_t identifier);

enum class Answer {
    not_ours,       // some other traffic: keep waiting
    echo_reply,     // the echo reply to the request, with its data unchanged
    unreachable,    // destination unreachable, quoting the request
    time_exceeded,  // time exceeded, quoting the request
    unusable,       // about the request, but not a usable answer
};

// `message` starts at the ICMP header; `request` is the request as it was sent.
Answer classify(std::string_view message, std::string_view request);

// The ICMP message inside an IPv4 datagram as a raw socket receives it (IP header first); an
// empty view when the datagram is too short or carries no ICMP.
std::string_view icmp_of_datagram(std::string_view datagram);

}  // namespace kvtu::net::icmp
