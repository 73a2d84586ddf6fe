#include "config_home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kvtu {

namespace {

std::filesystem::path home_folder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "/";
}

}  // namespace

std::filesystem::path config_home() {
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (configured != nullptr && configured[0] == '/') return configured;
    return home_folder() / ".config";
}

}  // namespace kvtu
