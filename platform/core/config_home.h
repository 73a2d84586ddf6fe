#pragma once
// The user's configuration folder: $XDG_CONFIG_HOME when it is set to an absolute path, else
// .config in the home folder ($HOME when it is absolute, else the account's entry).
#include <filesystem>

namespace kvtu {

std::filesystem::path config_home();

// The user's data folder, where menu entries and icons go: $XDG_DATA_HOME when it is set to an
// absolute path, else .local/share in the home folder.
std::filesystem::path data_home();

}  // namespace kvtu
