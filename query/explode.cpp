#include "query/explode.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace kvtu {

namespace {

// The part of a text that a NUL-terminated search sees.
std::string_view up_to_nul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The one algorithm behind both forms. An absent argument is std::nullopt; `whole_text` is what
// an absent separator hands back unsplit, the search itself sees the text only up to its first
// NUL byte.
void split(std::optional<std::string_view> separator, std::optional<std::string_view> whole_text,
           std::int32_t limit, TStringDynArray& result) {
    result.clear();
    if (!whole_text || limit < 0) return;
    if (!separator) {
        result.emplace_back(*whole_text);
        return;
    }

    const std::string_view text = up_to_nul(*whole_text);
    const std::string_view sep = up_to_nul(*separator);

    // The capacity starts at the limit, but never above the most pieces the text can give, so
    // that a huge limit cannot exhaust memory before a single piece is cut; the final result
    // is the same either way.
    std::size_t capacity = static_cast<std::size_t>(limit);
    if (capacity > text.size() + 1) capacity = text.size() + 1;
    result.resize(capacity);

    std::size_t count = 0;
    std::size_t scan = 0;
    while (scan < text.size()) {
        const bool last_allowed = limit > 0 && count == static_cast<std::size_t>(limit) - 1;
        std::size_t end = std::string_view::npos;
        if (!sep.empty() && !last_allowed) end = text.find(sep, scan);
        const bool at_separator = end != std::string_view::npos;
        if (!at_separator) end = text.size();

        if (count >= capacity) {
            capacity += 5;
            result.resize(capacity);
        }
        result[count].assign(text.substr(scan, end - scan));
        ++count;

        scan = at_separator ? end + sep.size() : end;
    }
    if (count < capacity) result.resize(count);
}

std::optional<std::string_view> counted(const std::string& text) {
    if (text.empty()) return std::nullopt;
    return std::string_view(text);
}

std::optional<std::string_view> nul_terminated(const char* text) {
    if (text == nullptr) return std::nullopt;
    return std::string_view(text, std::strlen(text));
}

}  // namespace

void explode(const std::string& separator, const std::string& text, std::int32_t limit,
             TStringDynArray& result) {
    // An empty text counts as absent, so it gives no element even without a separator.
    split(counted(separator), counted(text), limit, result);
}

TStringDynArray explode(const std::string& separator, const std::string& text, std::int32_t limit) {
    TStringDynArray result;
    explode(separator, text, limit, result);
    return result;
}

void explode_cstr(const char* separator, const char* text, std::int32_t limit,
                  TStringDynArray& result) {
    split(nul_terminated(separator), nul_terminated(text), limit, result);
}

}  // namespace kvtu
