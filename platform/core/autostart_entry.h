#pragma once
// The log-on start of the launcher on this platform: the Run key's value "KVT:U Vavaver" names
// the program to start, and a desktop session starts only what the XDG autostart folder lists.
// So the value is mirrored by $XDG_CONFIG_HOME/autostart/kvtu-vavaver.desktop, whose Exec line
// starts the program the value names (the whole value is the program's path; it has no
// arguments).
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kvtu::autostart {

// Whether a value of the given key is the one that is mirrored.
bool mirrored(std::string_view key_path, std::string_view value_name);

std::filesystem::path entry_file();

// The desktop entry that starts the program at the given path.
std::string desktop_entry(std::string_view program_path);

// What the entry file holds now (nothing when there is none).
std::optional<std::string> current_entry();

// Makes the entry file hold `content`, or removes it when there is no content. False when
// that fails.
bool put_entry(const std::optional<std::string>& content);

}  // namespace kvtu::autostart
