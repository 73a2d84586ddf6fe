#include "query/explode.h"

#include <cstring>
#include <optional>

namespace kvtu {

namespace {

// The part of a text that a NUL-terminated search sees.
std::string_view up_to_nul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// The one algorithm behind every form: hands each piece to `piece`, left to right, as a view
// into the text, and returns the number of pieces. An absent argument is std::nullopt;
// `whole_text` is what an absent separator hands back unsplit, the search itself sees both
// texts only up to their first NUL byte.
template <class Piece>
std::size_t for_each_piece(std::optional<std::string_view> separator,
                           std::optional<std::string_view> whole_text, std::int32_t limit,
                           Piece&& piece) {
    if (!whole_text || limit < 0) return 0;
    if (!separator) {
        piece(*whole_text);
        return 1;
    }

    const std::string_view text = up_to_nul(*whole_text);
    const std::string_view sep = up_to_nul(*separator);
    std::size_t count = 0;
    std::size_t scan = 0;
    while (scan < text.size()) {
        // The last allowed piece takes the whole rest of the text, separators included; an
        // empty separator is never found, so the whole text is one piece.
        const bool last_allowed = limit > 0 && count == static_cast<std::size_t>(limit) - 1;
        std::size_t end = std::string_view::npos;
        if (!sep.empty() && !last_allowed) end = text.find(sep, scan);
        const bool at_separator = end != std::string_view::npos;
        if (!at_separator) end = text.size();

        piece(text.substr(scan, end - scan));
        ++count;

        scan = at_separator ? end + sep.size() : end;
    }
    return count;
}

// The result holds exactly the pieces, whatever the limit.
void fill(std::optional<std::string_view> separator, std::optional<std::string_view> whole_text,
          std::int32_t limit, TStringDynArray& result) {
    result.clear();
    for_each_piece(separator, whole_text, limit,
                   [&result](std::string_view piece) { result.emplace_back(piece); });
}

std::optional<std::string_view> counted(std::string_view text) {
    if (text.empty()) return std::nullopt;
    return text;
}

std::optional<std::string_view> nul_terminated(const char* text) {
    if (text == nullptr) return std::nullopt;
    return std::string_view(text, std::strlen(text));
}

}  // namespace

void explode(const std::string& separator, const std::string& text, std::int32_t limit,
             TStringDynArray& result) {
    // An empty text counts as absent, so it gives no element even without a separator.
    fill(counted(separator), counted(text), limit, result);
}

TStringDynArray explode(const std::string& separator, const std::string& text, std::int32_t limit) {
    TStringDynArray result;
    explode(separator, text, limit, result);
    return result;
}

std::size_t explode_first(std::string_view separator, std::string_view text, std::int32_t limit,
                          std::span<std::string_view> first) {
    std::size_t index = 0;
    return for_each_piece(counted(separator), counted(text), limit,
                          [&first, &index](std::string_view piece) {
                              if (index < first.size()) first[index] = piece;
                              ++index;
                          });
}

void explode_cstr(const char* separator, const char* text, std::int32_t limit,
                  TStringDynArray& result) {
    fill(nul_terminated(separator), nul_terminated(text), limit, result);
}

}  // namespace kvtu
