#pragma once
// A named mutex between processes of one user: an exclusive lock on a file named after the
// mutex in $XDG_RUNTIME_DIR (or /tmp). The lock is held for the object's life, and the kernel
// releases it when the process dies, so a crashed holder never blocks the next start.
#include <string>

namespace kvtu {

class NamedMutex {
  public:
    enum class Outcome {
        created,         // this process holds the mutex
        already_exists,  // another process holds it
        failed,          // the lock file could not be opened or locked: no mutex
    };

    // Never waits: an exclusive lock held elsewhere gives already_exists at once.
    explicit NamedMutex(const std::string& name);
    ~NamedMutex();  // closes the handle, which releases the lock
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    Outcome outcome() const { return outcome_; }

    // The lock file that stands for the mutex of this name.
    static std::string lock_file_path(const std::string& name);

  private:
    int handle_ = -1;
    Outcome outcome_ = Outcome::failed;
};

}  // namespace kvtu
