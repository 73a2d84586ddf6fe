#pragma once
// The conversion of a typed or stored text to an integer, used for every port the programs read:
// leading blanks, an optional sign, then decimal digits, or hexadecimal digits after "$", "x",
// "X" or "0x"; nothing may follow, and the value must fit a signed 32-bit integer.
#include <cstdint>
#include <string>

namespace kvtu {

// Raises ConvertError "'<text>' is not a valid integer value" for any other text.
std::int32_t text_to_integer(const std::string& text);

}  // namespace kvtu
