// Feeds arbitrary bytes to both forms of explode and to the reply decode, and checks what must
// hold for every input. Input layout:
//   byte 0     flags: 1 separator absent, 2 text absent, 4 limit in one signed byte (else four)
//   limit      one or four bytes, little-endian
//   byte       separator length n, then n separator bytes
//   rest       the text, which is also decoded as a status reply
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/core/errors.h"
#include "query/explode.h"
#include "query/status_exchange.h"

namespace {

using kvtu::fuzz::Input;
using kvtu::fuzz::require;

std::string joined(const kvtu::TStringDynArray& pieces, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) text += separator;
        text += pieces[i];
    }
    return text;
}

void check_explode(const std::string& separator, const std::string& text, bool separator_absent,
                   bool text_absent, std::int32_t limit) {
    kvtu::TStringDynArray counted{"left over"};
    kvtu::explode(separator_absent ? std::string() : separator, text_absent ? std::string() : text,
                  limit, counted);

    kvtu::TStringDynArray terminated{"left over"};
    kvtu::explode_cstr(separator_absent ? nullptr : separator.c_str(),
                       text_absent ? nullptr : text.c_str(), limit, terminated);

    // The form that keeps views of the first pieces splits alike and counts every piece.
    std::array<std::string_view, 3> first;
    const std::size_t count = kvtu::explode_first(
        separator_absent ? std::string_view() : std::string_view(separator),
        text_absent ? std::string_view() : std::string_view(text), limit, first);
    require(count == counted.size());
    for (std::size_t i = 0; i < std::min(count, first.size()); ++i) require(first[i] == counted[i]);

    if (limit < 0 || text_absent) {
        require(counted.empty() && terminated.empty());
        return;
    }
    if (limit > 0) require(counted.size() <= static_cast<std::size_t>(limit));

    const bool plain = separator.find('\0') == std::string::npos &&
                       text.find('\0') == std::string::npos && !separator.empty() &&
                       !text.empty() && !separator_absent;
    if (!plain) return;
    require(counted == terminated);
    // The pieces and the separators between them give back the text; only a separator at the
    // very end is dropped.
    const std::string rebuilt = joined(counted, separator);
    require(rebuilt == text || rebuilt + separator == text);
}

// Decodes into a fresh record; false when a position was missing.
template <class Parts>
bool decode_into(const Parts& parts, kvtu::TStringDynArray& info) {
    kvtu::query::SlotWriter writer(info);
    try {
        kvtu::query::decode_reply(parts, writer);
        return true;
    } catch (const kvtu::RangeError&) {
        return false;
    }
}

void check_decode(const std::string& reply) {
    const bool valid = kvtu::query::reply_valid(reply);
    require(!valid || reply.size() >= 8);
    const kvtu::TStringDynArray parts = kvtu::query::reply_parts(reply);
    kvtu::TStringDynArray info(kvtu::query::server_info_slots);
    if (decode_into(parts, info)) {
        require(!info[kvtu::query::slot_players].empty());
    } else {
        require(parts.size() < 39);
    }
    // The views of the parts, which the query library decodes, give the same record.
    kvtu::TStringDynArray from_views(kvtu::query::server_info_slots);
    require(decode_into(kvtu::query::reply_part_views(reply), from_views) == (parts.size() >= 39));
    require(from_views == info);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input{data, size};
    const std::uint8_t flags = input.byte();
    std::int32_t limit = 0;
    if (flags & 4) {
        limit = static_cast<std::int8_t>(input.byte());
    } else {
        std::uint32_t raw = 0;
        for (int i = 0; i < 4; ++i) raw |= static_cast<std::uint32_t>(input.byte()) << (8 * i);
        std::memcpy(&limit, &raw, sizeof limit);
    }
    const std::string separator = input.counted();
    const std::string text = input.rest();

    check_explode(separator, text, flags & 1, flags & 2, limit);
    check_decode(text);
    return 0;
}
