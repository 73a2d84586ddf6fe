// A child process for the store's reliability test.
//
//   registry_hammer write <value name> <count>
//     writes the texts "1" .. "<count>" to the value, one write per accessor, as the launcher's
//     handlers do.
//   registry_hammer read <ready file> <stop file> <value name>...
//     until the stop file exists (at most two minutes), reads the hive file and parses it, and
//     reads each value through the store; every value's number may only grow. Creates the
//     ready file after its first round, so that the writers can be started against a running
//     reader. Prints the number of rounds; exits 1 at the first torn file or a value that went
//     back.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/core/atomic_file.h"
#include "platform/core/errors.h"
#include "platform/core/hive_file.h"
#include "platform/core/hive_format.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"

namespace {

int write_values(const std::string& name, int count) {
    for (int i = 1; i <= count; ++i) {
        kvtu::Registry registry;
        if (!registry.open_key(kvtu::settings::launcher_key, true)) {
            std::fprintf(stderr, "write %s: open failed at %d\n", name.c_str(), i);
            return 1;
        }
        registry.write_string(name, std::to_string(i));
    }
    return 0;
}

int read_values(const std::filesystem::path& ready_file, const std::filesystem::path& stop_file,
                const std::vector<std::string>& names) {
    const std::filesystem::path hive = kvtu::HiveFile().path();
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    std::map<std::string, long> last_seen;
    long rounds = 0;
    while (!std::filesystem::exists(stop_file) && std::chrono::steady_clock::now() < give_up) {
        kvtu::FileContent file = kvtu::read_whole_file(hive);
        if (file.error != 0 || !file.exists || !kvtu::hive::parse(file.bytes)) {
            std::fprintf(stderr, "torn or unreadable hive after %ld rounds:\n%s\n", rounds,
                         file.bytes.c_str());
            return 1;
        }
        kvtu::Registry registry;
        if (!registry.open_key(kvtu::settings::launcher_key, false)) {
            std::fprintf(stderr, "open failed after %ld rounds\n", rounds);
            return 1;
        }
        for (const std::string& name : names) {
            std::string text = registry.read_string(name);
            long number = text.empty() ? 0 : std::stol(text);
            if (number < last_seen[name]) {
                std::fprintf(stderr, "%s went back from %ld to %ld\n", name.c_str(),
                             last_seen[name], number);
                return 1;
            }
            last_seen[name] = number;
        }
        if (++rounds == 1) std::ofstream(ready_file) << "ready";
    }
    std::printf("%ld\n", rounds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "write" && argc == 4) return write_values(argv[2], std::atoi(argv[3]));
        if (mode == "read" && argc >= 5) {
            return read_values(argv[2], argv[3], std::vector<std::string>(argv + 4, argv + argc));
        }
        std::fprintf(stderr,
                     "usage: registry_hammer write <name> <count> | read <ready> <stop> <names>\n");
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "registry_hammer: %s\n", error.what());
        return 1;
    }
}
