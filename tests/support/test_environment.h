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

// Whether this user may send ICMP echoes at all: a datagram ping socket (our group in
// net.ipv4.ping_group_range) or a raw socket. Where the system grants neither, every ping fails
// with "Operation not permitted" by the system's choice, so tests that need a real echo skip.
bool may_send_echoes();

// Installs the listener that creates and removes the sandbox around each test.
void install_sandbox_listener();

}  // namespace kvtu::test

// Skips the running test (call it from the test body) where this user may send no ICMP echo.
#define KVTU_SKIP_WITHOUT_ECHOES()        \
    if (!::kvtu::test::may_send_echoes()) \
    GTEST_SKIP() << "this user may open neither a datagram ping socket nor a raw socket here"
