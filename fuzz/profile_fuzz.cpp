// Feeds arbitrary bytes to the style file reader and to the style file's value types. Input
// layout: a byte n and n bytes of section name, a byte m and m bytes of key, then the file's
// content. What must hold: a value lies within one line and has at most 2047 bytes; an integer
// reads back from its decimal text; a colour has 24 bits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "launcher/skin_values.h"
#include "platform/core/errors.h"
#include "platform/core/profile.h"

using kvtu::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvtu::fuzz::Input input{data, size};
    const std::string section = input.counted();
    const std::string key = input.counted();
    const std::string content = input.rest();

    const std::string value = kvtu::read_profile_text(content, section, key);
    require(value.size() <= kvtu::profile_value_limit);
    require(value.find_first_of("\r\n") == std::string::npos);

    const std::int32_t number = kvtu::launcher::profile_integer(value);
    require(kvtu::launcher::profile_integer(std::to_string(number)) == number);
    try {
        const kvtu::launcher::TColor colour = kvtu::launcher::HexColorToColor(value);
        require(colour >= 0 && colour <= 0xFFFFFF);
    } catch (const kvtu::ConvertError&) {
    }
    kvtu::launcher::style_list(value);
    return 0;
}
