#pragma once
// Whole-file replacement that readers never see half done: the new content goes to a temporary
// file in the same folder, is flushed to disk and then renamed over the old file.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kvtu {

// Replaces (or creates) `path` with `content` and the given mode. False when any step fails;
// the old file is then left as it was.
bool replace_file_atomically(const std::filesystem::path& path, std::string_view content,
                             mode_t mode);

// The same, telling which step failed; errno then holds the system's reason.
enum class ReplaceStep { done, create, write };
ReplaceStep replace_file(const std::filesystem::path& path, std::string_view content, mode_t mode);

// The whole content of a file; nothing when it does not exist; errno-style failure otherwise.
struct FileContent {
    bool exists = false;
    int error = 0;  // 0 when the file was read or does not exist
    std::string bytes;
};
FileContent read_whole_file(const std::filesystem::path& path);

// Creates the folder and every missing folder above it with the given mode.
bool make_folders(const std::filesystem::path& folder, mode_t mode);

}  // namespace kvtu
