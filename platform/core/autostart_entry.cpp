#include "autostart_entry.h"

#include <unistd.h>

#include <cerrno>

#include "atomic_file.h"
#include "config_home.h"
#include "hive_tree.h"
#include "settings_names.h"

namespace kvtu::autostart {

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

}  // namespace

bool mirrored(std::string_view key_path, std::string_view value_name) {
    return hive::same_name(key_path, settings::run_key) &&
           hive::same_name(value_name, settings::autostart_value);
}

std::filesystem::path entry_file() {
    return config_home() / "autostart" / "kvtu-vavaver.desktop";
}

std::string desktop_entry(std::string_view program_path) {
    std::string entry = "[Desktop Entry]\nType=Application\nName=";
    entry += settings::autostart_value;
    entry += "\nExec=" + exec_argument(program_path) + "\nTerminal=false\n";
    return entry;
}

std::optional<std::string> current_entry() {
    FileContent file = read_whole_file(entry_file());
    if (!file.exists) return std::nullopt;
    return file.bytes;
}

bool put_entry(const std::optional<std::string>& content) {
    std::filesystem::path file = entry_file();
    if (!content) return ::unlink(file.c_str()) == 0 || errno == ENOENT;
    return make_folders(file.parent_path(), 0700) && replace_file_atomically(file, *content, 0644);
}

}  // namespace kvtu::autostart
