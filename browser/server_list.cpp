#include "browser/server_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "platform/core/atomic_file.h"
#include "platform/core/errors.h"
#include "platform/core/paths.h"

namespace kvtu::browser {

namespace {

class FileHandle {
  public:
    explicit FileHandle(int handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ >= 0) ::close(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return handle_; }
    // Closes now and reports the system's error number, 0 when the close succeeded.
    int close() {
        const int result = ::close(handle_);
        handle_ = -1;
        return result == 0 ? 0 : errno;
    }

  private:
    int handle_;
};

}  // namespace

std::string server_list_path(const std::string& installdir) {
    return installdir + std::string(path_delim) + "dta" + std::string(path_delim) +
           "serverlist.dat";
}

std::string load_server_list(const std::string& path) {
    // Only a regular file is read, without waiting: a FIFO at the path would block the start.
    return list_text(read_file_or_raise(path));
}

std::string list_text(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    bool after_carriage_return = false;
    for (const char character : bytes) {
        if (character == '\n' && after_carriage_return) {
            after_carriage_return = false;
            continue;
        }
        after_carriage_return = character == '\r';
        text += character == '\r' ? '\n' : character;
    }
    // A line break with nothing before it is no entry, only the end of an empty list.
    if (text == "\n") text.clear();
    return text;
}

std::string list_file_bytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (const char character : text) {
        if (character == '\n') bytes += '\r';
        bytes += character;
    }
    return bytes;
}

namespace {

// Writing into what stands at the path: a folder, FIFO or device is no list file, and each
// reports its own error here. O_NONBLOCK: a FIFO without a reader is refused at once instead of
// blocking the close.
void write_in_place(const std::string& path, const std::string& bytes) {
    FileHandle file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666));
    if (file.get() < 0) throw FileError(cannot_create_file_message(path, errno));
    if (!write_all(file.get(), bytes)) throw FileError(cannot_write_file_message(path, errno));
    if (const int error = file.close(); error != 0) {
        throw FileError(cannot_write_file_message(path, error));
    }
}

// Writing over the list file itself, which keeps its owner, mode and every other name (hard
// link) it has. The room for the new list is taken first, so that a full disk refuses the save
// before the old list is touched.
void write_over(FileHandle& file, const std::string& path, const std::string& bytes) {
    const auto size = static_cast<off_t>(bytes.size());
    // File systems that cannot reserve room are written all the same.
    if (size > 0 && ::fallocate(file.get(), FALLOC_FL_KEEP_SIZE, 0, size) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS) {
        throw FileError(cannot_write_file_message(path, errno));
    }
    if (!write_all(file.get(), bytes) || ::ftruncate(file.get(), size) != 0 ||
        ::fsync(file.get()) != 0) {
        throw FileError(cannot_write_file_message(path, errno));
    }
    if (const int error = file.close(); error != 0) {
        throw FileError(cannot_write_file_message(path, error));
    }
}

mode_t new_file_mode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void throw_on_failure(ReplaceStep step, const std::string& path) {
    if (step == ReplaceStep::create) throw FileError(cannot_create_file_message(path, errno));
    if (step == ReplaceStep::write) throw FileError(cannot_write_file_message(path, errno));
}

}  // namespace

void save_server_list(const std::string& path, const std::string& text) {
    const std::string bytes = list_file_bytes(text);
    // The list is written beside the file and then put in its place whole, so a full disk or a
    // failing device leaves the old list as it was instead of a cut one; the window then stays
    // open with the list, and the next close tries again.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw_on_failure(replace_file(path, bytes, new_file_mode()), path);
        return;
    }
    if (!S_ISREG(status.st_mode)) {
        write_in_place(path, bytes);
        return;
    }
    // A linked list file is saved at the link's target, keeping the link.
    std::error_code ignored;
    std::filesystem::path target = std::filesystem::canonical(path, ignored);
    if (target.empty()) target = path;
    // Whether the user may write the list decides, not the folder: a list made read-only is
    // refused rather than replaced.
    FileHandle file(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) throw FileError(cannot_create_file_message(path, errno));
    // A new file would be the writer's, and the old one's other names would keep the old list:
    // a list of another owner or with hard links is written over in place instead. So is a list
    // whose folder may not be written.
    if (status.st_nlink == 1 && status.st_uid == ::geteuid()) {
        const ReplaceStep step = replace_file(target, bytes, status.st_mode & 07777, status.st_gid);
        if (step != ReplaceStep::create) {
            throw_on_failure(step, path);
            return;
        }
    }
    write_over(file, path, bytes);
}

bool list_file_present(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

TStringDynArray list_lines(std::string_view text) {
    TStringDynArray lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string append_line(const std::string& text, const std::string& entry) {
    if (text.empty() || text.back() == '\n') return text + entry + "\n";
    return text + "\n" + entry;
}

}  // namespace kvtu::browser
