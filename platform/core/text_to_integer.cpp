#include "platform/core/text_to_integer.h"

#include "platform/core/errors.h"

namespace kvtu {

namespace {

int digit_value(char character, int base) {
    int value = 0;
    if (character >= '0' && character <= '9') {
        value = character - '0';
    } else if (character >= 'a' && character <= 'f') {
        value = character - 'a' + 10;
    } else if (character >= 'A' && character <= 'F') {
        value = character - 'A' + 10;
    } else {
        return -1;
    }
    return value < base ? value : -1;
}

}  // namespace

std::int32_t text_to_integer(const std::string& text) {
    const auto fail = [&text]() -> std::int32_t {
        throw ConvertError(invalid_integer_message(text));
    };
    std::size_t position = 0;
    while (position < text.size() && text[position] == ' ') ++position;
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    int base = 10;
    if (position < text.size() &&
        (text[position] == '$' || text[position] == 'x' || text[position] == 'X')) {
        base = 16;
        ++position;
    } else if (text.compare(position, 2, "0x") == 0) {
        base = 16;
        position += 2;
    }
    if (position == text.size()) return fail();

    // The magnitude is gathered in 64 bits and tested against the bound of its sign after every
    // digit, so no digit string of any length can overflow.
    const std::int64_t bound = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
    std::int64_t magnitude = 0;
    for (; position < text.size(); ++position) {
        const int digit = digit_value(text[position], base);
        if (digit < 0) return fail();
        magnitude = magnitude * base + digit;
        if (magnitude > bound) return fail();
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace kvtu
