#include "config_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kvtu {

namespace {

// A relative HOME would make the store depend on the working folder, and the programs start
// each other in other folders; the account's own entry is asked then, as when HOME is unset.
std::filesystem::path home_folder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

}  // namespace

std::filesystem::path config_home() {
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (configured != nullptr && configured[0] == '/') return configured;
    return home_folder() / ".config";
}

std::filesystem::path data_home() {
    const char* configured = std::getenv("XDG_DATA_HOME");
    if (configured != nullptr && configured[0] == '/') return configured;
    return home_folder() / ".local" / "share";
}

}  // namespace kvtu
