#include "browser/server_list.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
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
    // Without O_NONBLOCK a FIFO at the path would block the start until some writer came.
    FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) throw FileError(cannot_open_file_message(path, errno));
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) throw FileError(cannot_open_file_message(path, errno));
    // Only a file has an end: a FIFO, socket or device would give nothing or never stop.
    if (S_ISDIR(status.st_mode)) throw FileError(cannot_open_file_message(path, EISDIR));
    if (!S_ISREG(status.st_mode)) throw FileError(cannot_open_file_message(path, EINVAL));
    std::string text;
    std::array<char, 8192> buffer;
    bool after_carriage_return = false;
    for (;;) {
        const ssize_t length = ::read(file.get(), buffer.data(), buffer.size());
        if (length < 0) {
            if (errno == EINTR) continue;
            throw FileError(cannot_open_file_message(path, errno));
        }
        if (length == 0) break;
        for (ssize_t i = 0; i < length; ++i) {
            const char character = buffer[static_cast<std::size_t>(i)];
            if (character == '\n' && after_carriage_return) {
                after_carriage_return = false;
                continue;
            }
            after_carriage_return = character == '\r';
            text += character == '\r' ? '\n' : character;
        }
    }
    // A line break with nothing before it is no entry, only the end of an empty list.
    if (text == "\n") text.clear();
    return text;
}

namespace {

std::string with_carriage_returns(const std::string& text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (const char character : text) {
        if (character == '\n') bytes += '\r';
        bytes += character;
    }
    return bytes;
}

// Writing into what stands at the path: a folder, FIFO or device is no list file, and each
// reports its own error here. O_NONBLOCK: a FIFO without a reader is refused at once instead of
// blocking the close.
void write_in_place(const std::string& path, const std::string& bytes) {
    FileHandle file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666));
    if (file.get() < 0) throw FileError(cannot_create_file_message(path, errno));
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t length = ::write(file.get(), bytes.data() + written, bytes.size() - written);
        if (length < 0) {
            if (errno == EINTR) continue;
            throw FileError(cannot_write_file_message(path, errno));
        }
        written += static_cast<std::size_t>(length);
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

}  // namespace

void save_server_list(const std::string& path, const std::string& text) {
    const std::string bytes = with_carriage_returns(text);
    struct stat status {};
    const bool exists = ::stat(path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        write_in_place(path, bytes);
        return;
    }
    // The list is written beside the file and then put in its place whole, so a full disk or a
    // failing device leaves the old list as it was instead of a cut one; the window then stays
    // open with the list, and the next close tries again. A linked list file is replaced at the
    // link's target, keeping the link, and the file keeps its permissions.
    std::error_code ignored;
    const std::filesystem::path target =
        exists ? std::filesystem::canonical(path, ignored) : std::filesystem::path(path);
    const mode_t mode = exists ? (status.st_mode & 07777) : new_file_mode();
    switch (replace_file(target.empty() ? std::filesystem::path(path) : target, bytes, mode)) {
        case ReplaceStep::done:
            return;
        case ReplaceStep::create:
            throw FileError(cannot_create_file_message(path, errno));
        case ReplaceStep::write:
            throw FileError(cannot_write_file_message(path, errno));
    }
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
