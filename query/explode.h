#pragma once
// explode: splits a text at every occurrence of a separator. One algorithm, two forms.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/core/string_array.h"

namespace kvtu {

// Counted form, used inside the programs: an empty string counts as absent. The search stops at
// the text's first NUL byte when a separator is given. The result is emptied first.
void explode(const std::string& separator, const std::string& text, std::int32_t limit,
             TStringDynArray& result);
TStringDynArray explode(const std::string& separator, const std::string& text,
                        std::int32_t limit = 0);
// The counted form's split for a reader of the first pieces only: views of them (into `text`,
// which must outlive them) go into `first`, as far as it reaches, and the number of pieces of
// the whole split is returned. Nothing is allocated.
std::size_t explode_first(std::string_view separator, std::string_view text, std::int32_t limit,
                          std::span<std::string_view> first);

// NUL-terminated form, exported by the query library: either argument may be null.
void explode_cstr(const char* separator, const char* text, std::int32_t limit,
                  TStringDynArray& result);

}  // namespace kvtu
