#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kvtu {

namespace {

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

// The rename itself is only durable once the folder's entry is on disk.
void sync_folder(const std::filesystem::path& folder) {
    int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

}  // namespace

ReplaceStep replace_file(const std::filesystem::path& path, std::string_view content, mode_t mode) {
    std::filesystem::path folder = path.parent_path();
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    int descriptor = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0) return ReplaceStep::create;
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

FileContent read_whole_file(const std::filesystem::path& path) {
    FileContent result;
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno != ENOENT) result.error = errno;
        return result;
    }
    result.exists = true;
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
    }
    ::close(descriptor);
    return result;
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
