#include "launcher/skin_values.h"

#include "platform/core/errors.h"
#include "platform/core/text_to_integer.h"
#include "query/explode.h"

namespace kvtu::launcher {

namespace {

bool is_hex_digit(char character) {
    return (character >= '0' && character <= '9') || (character >= 'a' && character <= 'f') ||
           (character >= 'A' && character <= 'F');
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
        if (!is_hex_digit(joined[i])) throw ConvertError(invalid_integer_message(joined));
        const char digit = joined[i];
        const int value = digit <= '9' ? digit - '0' : (digit | 0x20) - 'a' + 10;
        // At most six digits, so the value stays within 24 bits.
        colour = colour * 16 + value;
    }
    return colour;
}

std::int32_t profile_integer(const std::string& text) {
    try {
        return text_to_integer(text);
    } catch (const ConvertError&) {
        return 0;
    }
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
