#include "test_environment.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include <stdexcept>
#include <string>

namespace kvtu::test {

namespace {

std::filesystem::path current_sandbox;

class SandboxListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kvtu-test-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        current_sandbox = pattern;
        std::filesystem::create_directories(config_home());
        std::filesystem::create_directories(runtime_dir());
        std::filesystem::create_directories(install_dir());
        setenv("XDG_CONFIG_HOME", config_home().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime_dir().c_str(), 1);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::error_code ignored;
        std::filesystem::remove_all(current_sandbox, ignored);
        current_sandbox.clear();
    }
};

}  // namespace

std::filesystem::path sandbox() {
    return current_sandbox;
}
std::filesystem::path config_home() {
    return current_sandbox / "config";
}
std::filesystem::path runtime_dir() {
    return current_sandbox / "runtime";
}
std::filesystem::path install_dir() {
    return current_sandbox / "install";
}
std::filesystem::path source_dir() {
    return KVTU_SOURCE_DIR;
}
std::filesystem::path binary_dir() {
    return KVTU_BINARY_DIR;
}

bool may_send_echoes() {
    for (const int type : {SOCK_DGRAM, SOCK_RAW}) {
        const int handle = socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (handle >= 0) {
            close(handle);
            return true;
        }
        // Any other failure is no matter of permission: let the test run and show it.
        if (errno != EACCES && errno != EPERM && errno != EPROTONOSUPPORT &&
            errno != ESOCKTNOSUPPORT) {
            return true;
        }
    }
    return false;
}

void install_sandbox_listener() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new SandboxListener);
}

}  // namespace kvtu::test
