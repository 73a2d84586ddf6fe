#pragma once
// explode: splits a text at every occurrence of a separator. One algorithm, two forms.
#include <cstdint>
#include <string>

#include "platform/core/string_array.h"

namespace kvtu {

// Counted form, used inside the programs: an empty string counts as absent. The search stops at
// the text's first NUL byte when a separator is given. The result is emptied first.
void explode(const std::string& separator, const std::string& text, std::int32_t limit,
             TStringDynArray& result);
TStringDynArray explode(const std::string& separator, const std::string& text,
                        std::int32_t limit = 0);

// NUL-terminated form, exported by the query library: either argument may be null.
void explode_cstr(const char* separator, const char* text, std::int32_t limit,
                  TStringDynArray& result);

}  // namespace kvtu
