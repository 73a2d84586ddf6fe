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

// The same, telling which step failed; errno then holds the system's reason. With a group, the
// new file gets that group before its content (a failure to give it counts as `create`).
enum class ReplaceStep { done, create, write };
ReplaceStep replace_file(const std::filesystem::path& path, std::string_view content, mode_t mode,
                         std::optional<gid_t> group = std::nullopt);

// Removes the temporary files that replacements of `path` left behind when their writer was
// killed. Only for callers that replace `path` under a lock which every writer of it holds:
// then no temporary file of a live writer can exist.
void remove_left_temporaries(const std::filesystem::path& path);

// Writes all of `content` at the descriptor's position; false with errno set when a write fails.
bool write_all(int descriptor, std::string_view content);

// The whole content of a file; nothing when it does not exist; errno-style failure otherwise.
// Anything but a regular file is refused without being read or waited for: a folder with
// EISDIR, anything else (a FIFO, a device) with EINVAL. With `largest`, a file of more bytes,
// also one that grows past it while it is read, is refused with EFBIG.
struct FileContent {
    bool exists = false;
    bool regular = true;  // false: something else stands at the path; `error` says what
    int error = 0;        // 0 when the file was read or does not exist
    std::string bytes;
};
FileContent read_whole_file(const std::filesystem::path& path,
                            std::optional<std::size_t> largest = std::nullopt);

// The same file's bytes for a caller that must have them: a missing file or any failure above
// raises FileError with the message for a file that cannot be opened, naming the reason.
std::string read_file_or_raise(const std::string& path,
                               std::optional<std::size_t> largest = std::nullopt);

// Creates the folder and every missing folder above it with the given mode.
bool make_folders(const std::filesystem::path& folder, mode_t mode);

}  // namespace kvtu
