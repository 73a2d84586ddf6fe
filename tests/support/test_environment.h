#pragma once
// Every test runs in a sandbox of its own: a fresh temporary folder that is set as
// XDG_CONFIG_HOME and XDG_RUNTIME_DIR before the test starts and removed after it, so that no
// test sees another's settings store, mutexes or install folder.
#include <filesystem>

namespace kvtu::test {

std::filesystem::path sandbox();      // the test's own temporary folder
std::filesystem::path config_home();  // sandbox()/config, set as XDG_CONFIG_HOME
std::filesystem::path runtime_dir();  // sandbox()/runtime, set as XDG_RUNTIME_DIR
std::filesystem::path install_dir();  // sandbox()/install, an empty folder for an install
std::filesystem::path source_dir();   // the repository's top folder
std::filesystem::path binary_dir();   // the build's top folder

// Installs the listener that creates and removes the sandbox around each test.
void install_sandbox_listener();

}  // namespace kvtu::test
