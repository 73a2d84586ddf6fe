#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "errors.h"

namespace kvtu {

namespace {

constexpr std::string_view temporary_letters = "XXXXXX";

std::string temporary_prefix(const std::filesystem::path& path) {
    return "." + path.filename().string() + ".";
}

// The name that mkostemp makes of the pattern: the prefix and six letters or digits.
bool temporary_name_of(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + temporary_letters.size() || !name.starts_with(prefix)) {
        return false;
    }
    for (char c : name.substr(prefix.size())) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

// The rename itself is only durable once the folder's entry is on disk.
void sync_folder(const std::filesystem::path& folder) {
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

bool write_all(int descriptor, std::string_view content) {
    while (!content.empty()) {
        ssize_t written = ::write(descriptor, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

ReplaceStep replace_file(const std::filesystem::path& path, std::string_view content, mode_t mode,
                         std::optional<gid_t> group) {
    std::filesystem::path folder = path.parent_path();
    std::string temporary =
        (folder / (temporary_prefix(path) + std::string(temporary_letters))).string();
    int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) return ReplaceStep::create;
    if (group && ::fchown(descriptor, static_cast<uid_t>(-1), *group) != 0) {
        int error = errno;
        ::close(descriptor);
        ::unlink(temporary.c_str());
        errno = error;
        return ReplaceStep::create;
    }
    bool written = ::fchmod(descriptor, mode) == 0 && write_all(descriptor, content) &&
                   ::fsync(descriptor) == 0;
    int error = written ? 0 : errno;
    if (::close(descriptor) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(temporary.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (!written) {
        ::unlink(temporary.c_str());
        errno = error;
        return ReplaceStep::write;
    }
    sync_folder(folder);
    return ReplaceStep::done;
}

bool replace_file_atomically(const std::filesystem::path& path, std::string_view content,
                             mode_t mode) {
    return replace_file(path, content, mode) == ReplaceStep::done;
}

void remove_left_temporaries(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    const std::string prefix = temporary_prefix(path);
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (temporary_name_of(name, prefix)) ::unlink(entry->path().c_str());
    }
}

FileContent read_whole_file(const std::filesystem::path& path, std::optional<std::size_t> largest) {
    FileContent result;
    // Without O_NONBLOCK a FIFO at the path would block the open until some writer came.
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno != ENOENT) result.error = errno;
        return result;
    }
    result.exists = true;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        result.error = errno;
    } else if (!S_ISREG(status.st_mode)) {
        result.regular = false;
        result.error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    } else if (largest && static_cast<unsigned long long>(status.st_size) > *largest) {
        result.error = EFBIG;
    }
    if (result.error != 0) {
        ::close(descriptor);
        return result;
    }
    char buffer[8192];
    for (;;) {
        ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) continue;
            result.error = errno;
            break;
        }
        if (count == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(count));
        if (largest && result.bytes.size() > *largest) {
            result.error = EFBIG;
            break;
        }
    }
    if (result.error != 0) result.bytes.clear();
    ::close(descriptor);
    return result;
}

std::string read_file_or_raise(const std::string& path, std::optional<std::size_t> largest) {
    FileContent file = read_whole_file(path, largest);
    if (file.error != 0) throw FileError(cannot_open_file_message(path, file.error));
    if (!file.exists) throw FileError(cannot_open_file_message(path, ENOENT));
    return std::move(file.bytes);
}

bool make_folders(const std::filesystem::path& folder, mode_t mode) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) == 0) return S_ISDIR(status.st_mode);
    if (errno != ENOENT) return false;
    std::filesystem::path parent = folder.parent_path();
    if (parent != folder && !parent.empty() && !make_folders(parent, mode)) return false;
    return ::mkdir(folder.c_str(), mode) == 0 || errno == EEXIST;
}

}  // namespace kvtu
