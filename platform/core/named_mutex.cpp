#include "named_mutex.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace kvtu {

std::string NamedMutex::lock_file_path(const std::string& name) {
    const char* runtime_dir = std::getenv("XDG_RUNTIME_DIR");
    if (runtime_dir != nullptr && runtime_dir[0] != '\0') {
        return std::string(runtime_dir) + "/" + name + ".lock";
    }
    // /tmp is shared by all users; the user id keeps one user's copy from blocking another's,
    // as a mutex of one log-on session would.
    return "/tmp/" + name + "-" + std::to_string(getuid()) + ".lock";
}

NamedMutex::NamedMutex(const std::string& name) {
    const std::string path = lock_file_path(name);
    handle_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (handle_ < 0) return;
    // In a folder shared by all users, another user could plant the file and hold its lock to
    // keep this user's program from ever starting; a file that is not our own is no mutex.
    struct stat status {};
    if (::fstat(handle_, &status) != 0 || status.st_uid != ::geteuid()) {
        ::close(handle_);
        handle_ = -1;
        return;
    }
    int result;
    do {
        result = ::flock(handle_, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        outcome_ = Outcome::created;
        return;
    }
    outcome_ = errno == EWOULDBLOCK ? Outcome::already_exists : Outcome::failed;
    ::close(handle_);
    handle_ = -1;
}

NamedMutex::~NamedMutex() {
    if (handle_ >= 0) ::close(handle_);
}

}  // namespace kvtu
