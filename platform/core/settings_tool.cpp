// Records an install for the user, for the install script: the programs themselves never write
// the install folder or menu entries. Uses the store's own code, so the hive is written exactly
// as the programs write it.
//
//   kvtu_settings_tool record-install <install folder> <default skin>
//   kvtu_settings_tool menu-entries <install folder> <icon file>
//
// record-install stores the install folder (trailing separators removed) as installdir, and the
// default skin's folder name as style when no style is stored yet. menu-entries puts a desktop
// entry for the launcher and one for the browser into the user's applications folder and the
// icon (a square PNG, or an SVG) into the user's hicolor icon theme, replacing those of an
// earlier install.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "atomic_file.h"
#include "config_home.h"
#include "desktop_entry.h"
#include "errors.h"
#include "hive_file.h"
#include "paths.h"
#include "registry.h"
#include "settings_names.h"

namespace {

constexpr mode_t data_folder = 0700;
constexpr mode_t shared_file = 0644;

int record_install(std::string folder, const std::string& default_skin) {
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    kvtu::Registry registry;
    if (!registry.open_key(kvtu::settings::launcher_key, true)) {
        const kvtu::HiveFile hive;
        const std::string problem = hive.problem();
        if (problem.empty()) {
            std::fprintf(stderr,
                         "kvtu_settings_tool: the settings store %s cannot be written; it is "
                         "left as it is\n",
                         hive.path().c_str());
        } else {
            std::fprintf(stderr, "kvtu_settings_tool: %s\n", problem.c_str());
        }
        return 1;
    }
    registry.write_string(kvtu::settings::installdir, folder);
    if (registry.read_string(kvtu::settings::style).empty()) {
        registry.write_string(kvtu::settings::style, default_skin);
    }
    return 0;
}

// The icon theme's size folder of the icon: "scalable" for an SVG, "<n>x<n>" for a square PNG
// of n pixels (read from its header); empty for anything else.
std::string icon_size_folder(const std::filesystem::path& icon, std::string_view bytes) {
    if (icon.extension() == ".svg") return "scalable";
    constexpr std::string_view png_signature = "\x89PNG\r\n\x1a\n";
    if (icon.extension() != ".png" || bytes.size() < 24 || !bytes.starts_with(png_signature) ||
        bytes.substr(16, 4) != bytes.substr(20, 4)) {
        return "";
    }
    unsigned long width = 0;
    for (char byte : bytes.substr(16, 4)) width = width * 256 + static_cast<unsigned char>(byte);
    return std::to_string(width) + "x" + std::to_string(width);
}

bool put_file(const std::filesystem::path& file, std::string_view content) {
    if (kvtu::make_folders(file.parent_path(), data_folder) &&
        kvtu::replace_file_atomically(file, content, shared_file)) {
        return true;
    }
    std::fprintf(stderr, "kvtu_settings_tool: cannot write %s\n", file.c_str());
    return false;
}

int write_menu_entries(std::string folder, const std::filesystem::path& icon) {
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    const kvtu::FileContent picture = kvtu::read_whole_file(icon);
    const std::string size_folder = icon_size_folder(icon, picture.bytes);
    if (!picture.exists || picture.error != 0 || size_folder.empty()) {
        std::fprintf(stderr, "kvtu_settings_tool: %s is no readable square PNG or SVG icon\n",
                     icon.c_str());
        return 1;
    }
    const std::filesystem::path data = kvtu::data_home();
    const std::string icon_name = icon.stem().string();
    const std::string launcher =
        folder + std::string(kvtu::path_delim) + kvtu::exe_name("kvt_vavaver");
    const std::string browser =
        folder + std::string(kvtu::path_delim) + kvtu::exe_name("kvtu_dadererizarud");
    const bool written =
        put_file(data / "icons" / "hicolor" / size_folder / "apps" / icon.filename(),
                 picture.bytes) &&
        put_file(data / "applications" / "kvtu-vavaver.desktop",
                 kvtu::desktop_entry_text({.name = kvtu::settings::autostart_value,
                                           .program_path = launcher,
                                           .comment = "Start Korvanth: Uprising and query its "
                                                      "game servers",
                                           .icon = icon_name,
                                           .categories = "Game;"})) &&
        put_file(data / "applications" / "kvtu-dadererizarud.desktop",
                 kvtu::desktop_entry_text({.name = "KVT:U Server Browser",
                                           .program_path = browser,
                                           .comment = "Keep a list of Korvanth: Uprising game "
                                                      "servers and see their status",
                                           .icon = icon_name,
                                           .categories = "Game;"}));
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc == 4 ? argv[1] : "";
    if (command != "record-install" && command != "menu-entries") {
        std::fprintf(stderr,
                     "usage: kvtu_settings_tool record-install <install folder> <skin>\n"
                     "       kvtu_settings_tool menu-entries <install folder> <icon file>\n");
        return 2;
    }
    try {
        if (command == "menu-entries") return write_menu_entries(argv[2], argv[3]);
        return record_install(argv[2], argv[3]);
    } catch (const kvtu::Error& error) {
        std::fprintf(stderr, "kvtu_settings_tool: %s\n", error.what());
        return 1;
    }
}
