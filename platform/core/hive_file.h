#pragma once
// The hive file on disk, ${XDG_CONFIG_HOME:-$HOME/.config}/kvtu/HKEY_CURRENT_USER.reg.
//
// Readers take no lock: a write replaces the whole file by a rename, so a reader sees either the
// old or the new content. Writers serialise on an exclusive flock of a lock file beside the hive
// and change the content they read under that lock, so that two writers of different values
// never lose each other's write. A file that exists but cannot be read or parsed is never
// replaced. Anything but a regular file at the path (a FIFO, a folder) is refused without
// being waited for.
#include <filesystem>
#include <optional>
#include <string>

#include "hive_tree.h"

namespace kvtu {

class HiveFile {
  public:
    // The current user's hive.
    HiveFile();
    explicit HiveFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    // The tree as the file holds it now; an empty root when there is no file yet; nothing when
    // the file cannot be read or parsed.
    std::optional<hive::Key> load() const;

    // Why load() gives nothing, as the message the programs show at their start (naming the
    // file, and the line that is not understood); empty when the file can be used or does not
    // exist yet.
    std::string problem() const;

    // Held while alive: the exclusive right to replace the file.
    class WriteLock {
      public:
        explicit WriteLock(int descriptor) : descriptor_(descriptor) {}
        WriteLock(WriteLock&& other) noexcept : descriptor_(other.descriptor_) {
            other.descriptor_ = -1;
        }
        WriteLock(const WriteLock&) = delete;
        WriteLock& operator=(const WriteLock&) = delete;
        WriteLock& operator=(WriteLock&&) = delete;
        ~WriteLock();

      private:
        int descriptor_;
    };

    // Creates the folder when it is missing and waits for the lock; nothing when the folder or
    // the lock file cannot be made.
    std::optional<WriteLock> lock_for_writing() const;

    // Replaces the file by the tree, mode 0600, first removing the temporary files that killed
    // writers left beside it. Only to be called with the lock held.
    bool store(const hive::Key& root, const WriteLock& held) const;

  private:
    std::optional<hive::Key> read(std::string* problem) const;

    std::filesystem::path path_;
};

}  // namespace kvtu
