// Records an install in the settings store, for the install script: the programs themselves
// never write the install folder. Uses the store's own code, so the hive is written exactly as
// the programs write it.
//
//   kvtu_settings_tool record-install <install folder> <default skin>
//
// Stores the install folder (trailing separators removed) as installdir, and the default skin's
// folder name as style when no style is stored yet.
#include <cstdio>
#include <string>

#include "errors.h"
#include "hive_file.h"
#include "registry.h"
#include "settings_names.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != "record-install") {
        std::fprintf(stderr, "usage: kvtu_settings_tool record-install <install folder> <skin>\n");
        return 2;
    }
    try {
        return record_install(argv[2], argv[3]);
    } catch (const kvtu::Error& error) {
        std::fprintf(stderr, "kvtu_settings_tool: %s\n", error.what());
        return 1;
    }
}
