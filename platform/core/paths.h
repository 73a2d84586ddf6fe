#pragma once
// Designed paths are built as install folder + a literal beginning with the separator. The
// separator and the executable naming of this platform come from here and nowhere else.
#include <string>
#include <string_view>

namespace kvtu {

inline constexpr std::string_view path_delim = "/";

// The file name of one of our executables on this platform ("kvtu_dadererizarud" stays as is;
// no ".exe").
std::string exe_name(std::string_view base_name);

}  // namespace kvtu
