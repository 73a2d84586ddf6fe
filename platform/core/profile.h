#pragma once
// Reading of profile (ini) files, such as a skin's styleconfig.ini: "[section]" lines open a
// section, "key=value" lines are its entries. Names of sections and keys match regardless of
// ASCII case and of the blanks around them ("[ font_settings ]" is the section font_settings);
// the first section and the first entry of a name win. Lines beginning with ";" and lines
// without "=" carry no entry. CR, LF and CR LF all end a line, also mixed in one file; a UTF-8
// byte order mark at the start is skipped. Texts keep their bytes as they are in the file.
#include <cstddef>
#include <string>
#include <string_view>

namespace kvtu {

// The longest value a read returns; longer values are cut to it.
inline constexpr std::size_t profile_value_limit = 2047;

// The value of `key` in `section` of the profile file, without the blanks around it and without
// one pair of enclosing quotation marks (double or single), cut to profile_value_limit bytes.
// A missing or unreadable file (one over 16 MiB included), section or key reads as the empty
// text.
std::string read_profile_string(const std::string& file, std::string_view section,
                                std::string_view key);

// The whole profile file, as read_profile_string reads it: empty when it is missing, no regular
// file, over 16 MiB or unreadable.
std::string read_profile_file(const std::string& file);

// The same as read_profile_string, of a profile's content already in memory.
std::string read_profile_text(std::string_view content, std::string_view section,
                              std::string_view key);

}  // namespace kvtu
