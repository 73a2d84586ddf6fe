#pragma once
// The text of an XDG desktop entry that starts one program without arguments: the launcher's
// autostart entry, and the menu entries of both programs that the install step writes.
#include <string>
#include <string_view>

namespace kvtu {

struct DesktopEntry {
    std::string_view name;
    std::string_view program_path;
    // Lines that are left out when empty.
    std::string_view comment = {};
    std::string_view icon = {};
    std::string_view categories = {};
};

// The entry's text; the program's path is one argument of the Exec line whatever it holds.
std::string desktop_entry_text(const DesktopEntry& entry);

}  // namespace kvtu
