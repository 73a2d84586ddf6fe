#include "autostart_entry.h"

#include <unistd.h>

#include <cerrno>

#include "atomic_file.h"
#include "config_home.h"
#include "desktop_entry.h"
#include "hive_tree.h"
#include "settings_names.h"

namespace kvtu::autostart {

bool mirrored(std::string_view key_path, std::string_view value_name) {
    return hive::same_name(key_path, settings::run_key) &&
           hive::same_name(value_name, settings::autostart_value);
}

std::filesystem::path entry_file() {
    return config_home() / "autostart" / "kvtu-vavaver.desktop";
}

std::string desktop_entry(std::string_view program_path) {
    return desktop_entry_text({.name = settings::autostart_value, .program_path = program_path});
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
