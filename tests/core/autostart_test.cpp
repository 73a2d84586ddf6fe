#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>
#include <string>

#include "hive_test_files.h"
#include "platform/core/errors.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"

namespace {

using kvtu::Registry;
namespace settings = kvtu::settings;
using kvtu::test::file_bytes;

std::filesystem::path entry_file() {
    return kvtu::test::config_home() / "autostart" / "kvtu-vavaver.desktop";
}

std::string exec_line() {
    std::string entry = file_bytes(entry_file());
    std::size_t start = entry.find("\nExec=");
    if (start == std::string::npos) return "no Exec line";
    start += 6;
    return entry.substr(start, entry.find('\n', start) - start);
}

TEST(AutostartEntry, TheRunValueAndItsEntryFileComeAndGoTogether) {
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::run_key, true));
    registry.write_string(settings::autostart_value, "/opt/kvtu/kvt_vavaver");
    EXPECT_EQ(registry.read_string(settings::autostart_value), "/opt/kvtu/kvt_vavaver");
    ASSERT_TRUE(std::filesystem::exists(entry_file()));
    std::string entry = file_bytes(entry_file());
    EXPECT_EQ(entry.substr(0, 16), "[Desktop Entry]\n");
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_EQ(exec_line(), "\"/opt/kvtu/kvt_vavaver\"");

    registry.write_string(settings::autostart_value, "/other//kvt_vavaver");
    EXPECT_EQ(exec_line(), "\"/other//kvt_vavaver\"");
    // Writing the value it already holds still puts back an entry file that was lost, and
    // leaves the hive as it is.
    std::filesystem::remove(entry_file());
    const auto hive_inode = [] {
        struct stat status {};
        EXPECT_EQ(stat(kvtu::test::hive_path().c_str(), &status), 0);
        return status.st_ino;
    };
    const auto inode_before = hive_inode();
    registry.write_string(settings::autostart_value, "/other//kvt_vavaver");
    EXPECT_EQ(exec_line(), "\"/other//kvt_vavaver\"");
    EXPECT_EQ(hive_inode(), inode_before);

    EXPECT_TRUE(registry.delete_value(settings::autostart_value));
    EXPECT_EQ(registry.read_string(settings::autostart_value), "");
    EXPECT_FALSE(std::filesystem::exists(entry_file()));
    EXPECT_FALSE(registry.delete_value(settings::autostart_value));
}

TEST(AutostartEntry, DeletingTheMissingValueRemovesAnEntryFileLeftWithoutIt) {
    kvtu::test::put_file(entry_file(), "[Desktop Entry]\nType=Application\nName=x\nExec=/x\n");
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::run_key, true));
    std::string hive_before = file_bytes(kvtu::test::hive_path());
    EXPECT_FALSE(registry.delete_value(settings::autostart_value));
    EXPECT_FALSE(std::filesystem::exists(entry_file()));
    EXPECT_EQ(file_bytes(kvtu::test::hive_path()), hive_before);
}

TEST(AutostartEntry, OnlyTheLaunchersValueUnderTheRunKeyIsMirrored) {
    Registry launcher;
    ASSERT_TRUE(launcher.open_key(settings::launcher_key, true));
    launcher.write_string(settings::autostart_value, "/opt/kvtu/kvt_vavaver");
    launcher.write_string(settings::autostart, "yes");
    Registry run;
    ASSERT_TRUE(run.open_key(settings::run_key, true));
    run.write_string("Other program", "/usr/bin/other");
    EXPECT_FALSE(std::filesystem::exists(entry_file()));
}

TEST(AutostartEntry, ThePathIsOneArgumentWhateverItHolds) {
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::run_key, true));
    registry.write_string(settings::autostart_value, "/my games/100% \"$x\" `y`\\kvt_vavaver");
    EXPECT_EQ(exec_line(), "\"/my games/100%% \\\\\"\\\\$x\\\\\" \\\\`y\\\\`\\\\\\\\kvt_vavaver\"");
    registry.write_string(settings::autostart_value, "/tab\there/new\nline/kvt_vavaver");
    EXPECT_EQ(exec_line(), "\"/tab\\there/new\\nline/kvt_vavaver\"");
}

// Files may not grow past a limit that the small entry file fits in and the hive does not.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
    }

  private:
    rlimit saved_{};
    void (*old_handler_)(int);
};

TEST(AutostartEntry, WhenTheHiveCannotBeWrittenTheEntryIsPutBack) {
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::run_key, true));
    registry.write_string("Padding", std::string(4000, 'p'));
    registry.write_string(settings::autostart_value, "/opt/kvtu/kvt_vavaver");
    std::string entry_before = file_bytes(entry_file());
    std::string hive_before = file_bytes(kvtu::test::hive_path());
    {
        FileSizeLimit limit(1024);
        EXPECT_THROW(registry.write_string(settings::autostart_value, "/elsewhere/kvt_vavaver"),
                     kvtu::RegistryError);
        EXPECT_EQ(file_bytes(entry_file()), entry_before);
        EXPECT_FALSE(registry.delete_value(settings::autostart_value));
        EXPECT_EQ(file_bytes(entry_file()), entry_before);
    }
    EXPECT_EQ(file_bytes(kvtu::test::hive_path()), hive_before);
    EXPECT_EQ(registry.read_string(settings::autostart_value), "/opt/kvtu/kvt_vavaver");
}

}  // namespace
