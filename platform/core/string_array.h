#pragma once
// The one dynamic array of 8-bit texts of the whole suite: results of explode, server
// summaries, the query library's results. Bytes are taken as they come, no code page.
#include <string>
#include <vector>

namespace kvtu {

using TStringDynArray = std::vector<std::string>;

}  // namespace kvtu
