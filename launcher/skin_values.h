#pragma once
// The value types of a skin's style file: integers, colours, style lists and flags, as the
// style-file step reads them. No Qt here.
#include <cstdint>
#include <string>

namespace kvtu::launcher {

// A colour as the style file's users know it: 0x00BBGGRR, red in the lowest byte.
using TColor = std::int32_t;

// Skips the first character (the # of "#RRGGBB"), joins "$" with the pairs 5-6, 3-4 and 1-2 of
// the rest, as far as they exist, and converts that as a hexadecimal number. Raises ConvertError
// "'<joined text>' is not a valid integer value" when no digit follows "$" or any character
// after it is not a hexadecimal digit.
TColor HexColorToColor(const std::string& text);

// An integer value by the style file's own rule: decimal digits with an optional sign, or
// hexadecimal digits after "$" or "0x", within the signed 32-bit range; anything else ("x20",
// "20px", the empty text) is 0. Ports have a conversion of their own (text_to_integer).
std::int32_t profile_integer(const std::string& text);

struct FontStyles {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
    bool operator==(const FontStyles&) const = default;
};

// The tokens of a style list, split at ";": exactly "bold", "italic", "underline" and
// "striked" add their style; every other token is ignored.
FontStyles style_list(const std::string& text);

// A flag of the style file is on only when it is exactly "yes".
bool profile_flag(const std::string& text);

}  // namespace kvtu::launcher
