// Feeds arbitrary bytes to everything that reads an FTP server's words: the reply reader (in
// pieces, as the network hands them over, and repeated as by a server that never stops), the
// passive-mode parser and both listing parsers, and checks what must hold for every input.
// Input layout:
//   byte 0   bit 0: a new count for each reply (as for each command) rather than one count for
//            the whole stream (as for a greeting with its preliminaries); bits 1..7: the reply
//            size limit in units of 32 bytes
//   byte 1   the size of the pieces the reader is fed, 1..256
//   rest     the text
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/core/errors.h"
#include "platform/net/ftp_listing.h"
#include "platform/net/ftp_reply.h"

namespace {

// Bytes fed to the reader for one input at most: enough for a repeated text to run past any
// limit the input can choose.
constexpr std::size_t stream_size = 16 * 1024;

using kvtu::fuzz::require;

void check_reply_reader(std::string_view text, bool count_each_reply, std::size_t size_limit,
                        std::size_t piece_size) {
    if (text.empty()) return;
    kvtu::net::FtpReplyReader reader;
    reader.start(size_limit);
    std::size_t fed = 0;
    std::size_t fed_since_start = 0;
    try {
        while (fed < stream_size) {
            const std::size_t at = fed % text.size();
            const std::string_view piece = text.substr(at, std::min(piece_size, text.size() - at));
            reader.add(piece);
            fed += piece.size();
            fed_since_start += piece.size();
            while (const auto reply = reader.take()) {
                require(reply->code >= 0 && reply->code <= 999);
                require(reply->text.size() <= size_limit);
                if (count_each_reply) {
                    reader.start(size_limit);
                    fed_since_start = 0;
                }
            }
            // Everything fed under one count was looked at and stayed within the limit: the
            // reader never holds more than the limit allows.
            if (!count_each_reply) require(fed_since_start <= size_limit);
        }
    } catch (const kvtu::Error&) {
        // A line that is no reply, or a reply over the limit: the client closes the connection.
    }
}

void check_passive_port(std::string_view text) {
    const auto port = kvtu::net::passive_port(text);
    // Six numbers need five commas between them.
    if (port) require(std::count(text.begin(), text.end(), ',') >= 5);
}

void check_listing(std::string_view text) {
    const auto items = kvtu::net::parse_ftp_listing(text);
    require(items.size() <=
            static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    for (const auto& item : items) require(item.file_name.size() <= text.size());

    const std::string_view line = text.substr(0, text.find('\n'));
    for (const auto& item :
         {kvtu::net::parse_unix_listing_line(line), kvtu::net::parse_msdos_listing_line(line)}) {
        if (item) require(item->file_name.size() <= line.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool count_each_reply = data[0] & 1;
    const std::size_t size_limit = static_cast<std::size_t>(data[0] >> 1) * 32;
    const std::size_t piece_size = static_cast<std::size_t>(data[1]) + 1;
    const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

    check_reply_reader(text, count_each_reply, size_limit, piece_size);
    check_passive_port(text);
    check_listing(text);
    return 0;
}
