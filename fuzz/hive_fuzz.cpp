// Feeds arbitrary bytes to the settings hive reader as the text of a hive file. What must hold:
// a text that is read gives a tree whose written text reads back to the same text; a text that
// is not read names one of its own lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/core/hive_format.h"

using kvtu::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t failed_line = 0;
    const auto root = kvtu::hive::parse(text, &failed_line);
    if (!root) {
        const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        require(failed_line >= 1 && failed_line <= lines + 1);
        return 0;
    }
    const std::string written = kvtu::hive::serialize(*root);
    const auto again = kvtu::hive::parse(written);
    require(again.has_value());
    require(kvtu::hive::serialize(*again) == written);
    return 0;
}
