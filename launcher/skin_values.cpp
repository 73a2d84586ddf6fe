#include "launcher/skin_values.h"

#include <string_view>

#include "platform/core/errors.h"
#include "query/explode.h"

namespace kvtu::launcher {

namespace {

// The value of a digit in the base (10 or 16, hexadecimal digits in either case), -1 for any
// other character.
int digit_value(char character, int base) {
    if (character >= '0' && character <= '9') return character - '0';
    if (base == 16 &&
        ((character >= 'a' && character <= 'f') || (character >= 'A' && character <= 'F'))) {
        return (character | 0x20) - 'a' + 10;
    }
    return -1;
}

// Characters `first` and `first + 1`, counted from 1, as far as the text has them.
std::string pair_at(const std::string& text, std::size_t first) {
    if (text.size() < first) return "";
    return text.substr(first - 1, 2);
}

}  // namespace

TColor HexColorToColor(const std::string& text) {
    const std::string rest = text.empty() ? text : text.substr(1);
    const std::string joined = "$" + pair_at(rest, 5) + pair_at(rest, 3) + pair_at(rest, 1);
    if (joined.size() == 1) throw ConvertError(invalid_integer_message(joined));
    TColor colour = 0;
    for (std::size_t i = 1; i < joined.size(); ++i) {
        const int digit = digit_value(joined[i], 16);
        if (digit < 0) throw ConvertError(invalid_integer_message(joined));
        // At most six digits, so the value stays within 24 bits.
        colour = colour * 16 + digit;
    }
    return colour;
}

std::int32_t profile_integer(const std::string& text) {
    std::string_view digits = text;
    int base = 10;
    bool negative = false;
    if (digits.starts_with('$')) {
        base = 16;
        digits.remove_prefix(1);
    } else if (digits.starts_with("0x")) {
        base = 16;
        digits.remove_prefix(2);
    } else if (digits.starts_with('+') || digits.starts_with('-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    if (digits.empty()) return 0;
    // Gathered in 64 bits and tested after every digit, so no digit string can overflow.
    const std::int64_t bound = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t magnitude = 0;
    for (const char character : digits) {
        const int digit = digit_value(character, base);
        if (digit < 0) return 0;
        magnitude = magnitude * base + digit;
        if (magnitude > bound) return 0;
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

FontStyles style_list(const std::string& text) {
    FontStyles styles;
    for (const std::string& token : explode(";", text, 0)) {
        if (token == "bold") styles.bold = true;
        if (token == "italic") styles.italic = true;
        if (token == "underline") styles.underline = true;
        if (token == "striked") styles.strike_out = true;
    }
    return styles;
}

bool profile_flag(const std::string& text) {
    return text == "yes";
}

}  // namespace kvtu::launcher
