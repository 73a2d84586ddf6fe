#include "desktop_entry.h"

namespace kvtu {

namespace {

// The path as one quoted argument of an Exec line: inside the quotes ", `, $ and \ take a
// backslash; then the line as a whole escapes \ once more, writes line breaks and tabs as
// escapes (a desktop file's values hold no control characters), and % is doubled.
std::string exec_argument(std::string_view program_path) {
    std::string quoted = "\"";
    for (char c : program_path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string line;
    for (char c : quoted) {
        if (c == '\\') {
            line += "\\\\";
        } else if (c == '%') {
            line += "%%";
        } else if (c == '\n') {
            line += "\\n";
        } else if (c == '\r') {
            line += "\\r";
        } else if (c == '\t') {
            line += "\\t";
        } else {
            line += c;
        }
    }
    return line;
}

void append_line(std::string& text, std::string_view key, std::string_view value) {
    if (value.empty()) return;
    text += key;
    text += '=';
    text += value;
    text += '\n';
}

}  // namespace

std::string desktop_entry_text(const DesktopEntry& entry) {
    std::string text = "[Desktop Entry]\nType=Application\n";
    append_line(text, "Name", entry.name);
    append_line(text, "Comment", entry.comment);
    append_line(text, "Exec", exec_argument(entry.program_path));
    append_line(text, "Icon", entry.icon);
    text += "Terminal=false\n";
    append_line(text, "Categories", entry.categories);
    return text;
}

}  // namespace kvtu
