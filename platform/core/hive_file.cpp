#include "hive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "atomic_file.h"
#include "config_home.h"
#include "errors.h"
#include "hive_format.h"

namespace kvtu {

namespace {

constexpr mode_t private_file = 0600;
constexpr mode_t private_folder = 0700;

std::filesystem::path lock_path(const std::filesystem::path& hive) {
    return hive.string() + ".lock";
}

}  // namespace

HiveFile::HiveFile() : HiveFile(config_home() / "kvtu" / "HKEY_CURRENT_USER.reg") {}

HiveFile::HiveFile(std::filesystem::path path) : path_(std::move(path)) {}

std::optional<hive::Key> HiveFile::load() const {
    return read(nullptr);
}

std::string HiveFile::problem() const {
    std::string problem;
    read(&problem);
    return problem;
}

std::optional<hive::Key> HiveFile::read(std::string* problem) const {
    FileContent file = read_whole_file(path_);
    if (!file.regular) {
        if (problem != nullptr) *problem = settings_file_not_regular_message(path_.string());
        return std::nullopt;
    }
    if (file.error != 0) {
        if (problem != nullptr) {
            *problem = settings_file_unreadable_message(path_.string(), file.error);
        }
        return std::nullopt;
    }
    if (!file.exists) return hive::Key{std::string(hive::root_name), {}, {}};
    std::size_t failed_line = 0;
    auto root = hive::parse(file.bytes, &failed_line);
    if (!root && problem != nullptr) {
        *problem = settings_file_unparsable_message(path_.string(), failed_line);
    }
    return root;
}

HiveFile::WriteLock::~WriteLock() {
    if (descriptor_ >= 0) ::close(descriptor_);  // closing releases the flock
}

std::optional<HiveFile::WriteLock> HiveFile::lock_for_writing() const {
    if (!make_folders(path_.parent_path(), private_folder)) return std::nullopt;
    int descriptor =
        ::open(lock_path(path_).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, private_file);
    if (descriptor < 0) return std::nullopt;
    while (::flock(descriptor, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(descriptor);
            return std::nullopt;
        }
    }
    return WriteLock(descriptor);
}

bool HiveFile::store(const hive::Key& root, const WriteLock&) const {
    remove_left_temporaries(path_);
    return replace_file_atomically(path_, hive::serialize(root), private_file);
}

}  // namespace kvtu
