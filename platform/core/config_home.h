#pragma once
// The user's configuration folder: $XDG_CONFIG_HOME when it is set to an absolute path, else
// .config in the home folder ($HOME when it is absolute, else the account's entry).
#include <filesystem>

namespace kvtu {

std::filesystem::path config_home();

}  // namespace kvtu
