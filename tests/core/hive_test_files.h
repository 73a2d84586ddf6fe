#pragma once
// Reading and writing the sandbox's hive file directly, beside the store's own code, so that
// tests can plant hives the programs never write and look at what the store left on disk.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/core/errors.h"
#include "test_environment.h"

namespace kvtu::test {

inline std::filesystem::path hive_path() {
    return config_home() / "kvtu" / "HKEY_CURRENT_USER.reg";
}

inline std::string file_bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void put_file(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline void put_hive(const std::string& bytes) {
    put_file(hive_path(), bytes);
}

// The message of the registry error that `operation` raises; "no error" when it raises none.
template <typename Operation>
std::string registry_error_of(Operation&& operation) {
    try {
        operation();
    } catch (const RegistryError& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace kvtu::test
