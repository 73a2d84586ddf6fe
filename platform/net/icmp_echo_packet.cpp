#include "platform/net/icmp_echo_packet.h"

namespace kvtu::net::icmp {

namespace {

constexpr std::uint8_t icmp_protocol = 1;
constexpr std::size_t minimum_ip_header = 20;

std::uint16_t word_at(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>((static_cast<std::uint8_t>(bytes[offset]) << 8) |
                                      static_cast<std::uint8_t>(bytes[offset + 1]));
}

void put_word(std::string& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<char>(value >> 8);
    bytes[offset + 1] = static_cast<char>(value & 0xff);
}

std::uint8_t type_of(std::string_view message) {
    return static_cast<std::uint8_t>(message[0]);
}

bool same_echo(std::string_view message, std::string_view request) {
    return identifier_of(message) == identifier_of(request) &&
           sequence_of(message) == sequence_of(request);
}

}  // namespace

std::uint16_t checksum(std::string_view bytes) {
    std::uint32_t sum = 0;
    std::size_t offset = 0;
    for (; offset + 1 < bytes.size(); offset += 2) sum += word_at(bytes, offset);
    if (offset < bytes.size())
        sum += static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[offset]) << 8);
    while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum);
}

std::string echo_request(std::uint16_t identifier, std::uint16_t sequence,
                         std::string_view payload) {
    std::string message(header_size, '\0');
    message[0] = static_cast<char>(echo_request_type);
    put_word(message, 4, identifier);
    put_word(message, 6, sequence);
    message.append(payload);
    put_word(message, 2, checksum(message));
    return message;
}

std::uint16_t identifier_of(std::string_view message) {
    return word_at(message, 4);
}
std::uint16_t sequence_of(std::string_view message) {
    return word_at(message, 6);
}

void set_identifier(std::string& message, std::uint16_t identifier) {
    put_word(message, 4, identifier);
}

Answer classify(std::string_view message, std::string_view request) {
    if (message.size() < header_size) return Answer::not_ours;
    const std::uint8_t type = type_of(message);
    if (type == echo_reply_type) {
        if (!same_echo(message, request)) return Answer::not_ours;
        // Our identifier and sequence with other data is a damaged answer, not a reply.
        return message.substr(header_size) == request.substr(header_size) ? Answer::echo_reply
                                                                          : Answer::unusable;
    }
    if (type == echo_request_type) return Answer::not_ours;  // our own request, seen on loopback

    // Every other message that concerns a datagram quotes its IP header and at least the first
    // eight bytes of it: that is where a message about our request shows itself.
    const std::string_view quoted = icmp_of_datagram(message.substr(header_size));
    if (quoted.size() < header_size || type_of(quoted) != echo_request_type ||
        !same_echo(quoted, request)) {
        return Answer::not_ours;
    }
    if (type == unreachable_type) return Answer::unreachable;
    if (type == time_exceeded_type) return Answer::time_exceeded;
    return Answer::unusable;
}

std::string_view icmp_of_datagram(std::string_view datagram) {
    if (datagram.size() < minimum_ip_header) return {};
    const auto first = static_cast<std::uint8_t>(datagram[0]);
    const std::size_t header_length = static_cast<std::size_t>(first & 0x0f) * 4;
    if ((first >> 4) != 4 || header_length < minimum_ip_header || header_length > datagram.size())
        return {};
    if (static_cast<std::uint8_t>(datagram[9]) != icmp_protocol) return {};
    return datagram.substr(header_length);
}

}  // namespace kvtu::net::icmp
