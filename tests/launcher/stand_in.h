#pragma once
// Stand-in executables: small shell scripts that record how they were started (program path,
// arguments, working folder) into a file, for tests of the programs' starts.
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace kvtu::test {

// Writes an executable script at `script` that records into `record`: "program=<$0>",
// "argc=<n>", one "arg=<argument>" per argument, and "cwd=<working folder>". The record
// appears whole (written aside, then renamed).
inline void write_stand_in(const std::filesystem::path& script,
                           const std::filesystem::path& record) {
    std::filesystem::create_directories(script.parent_path());
    std::ofstream out(script);
    out << "#!/bin/sh\n"
        << "{ printf 'program=%s\\n' \"$0\"; printf 'argc=%s\\n' \"$#\";"
        << " for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done;"
        << " printf 'cwd=%s\\n' \"$(pwd -P)\"; } > '" << record.string() << ".part'"
        << " && mv '" << record.string() << ".part' '" << record.string() << "'\n";
    out.close();
    chmod(script.c_str(), 0755);
}

// The record's lines once it exists; empty when it has not appeared within ten seconds.
inline std::vector<std::string> wait_for_record(const std::filesystem::path& record) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(record) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<std::string> lines;
    std::ifstream in(record);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace kvtu::test
