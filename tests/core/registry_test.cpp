#include "platform/core/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <utility>

#include "hive_test_files.h"
#include "platform/core/errors.h"
#include "platform/core/paths.h"
#include "platform/core/settings_names.h"

namespace {

using kvtu::Registry;
namespace settings = kvtu::settings;
using kvtu::test::file_bytes;
using kvtu::test::hive_path;
using kvtu::test::put_hive;
using kvtu::test::registry_error_of;

const std::string launcher_key_line = "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n";

std::string hive_with_launcher_values(const std::string& value_lines) {
    return "Windows Registry Editor Version 5.00\n\n" + launcher_key_line + value_lines + "\n";
}

std::string message_of_read(const std::string& name) {
    Registry registry;
    EXPECT_TRUE(registry.open_key(settings::launcher_key, true));
    return registry_error_of([&] { registry.read_string(name); });
}

std::string message_of_write(Registry& registry, const std::string& name) {
    return registry_error_of([&] { registry.write_string(name, "x"); });
}

TEST(SettingsStore, FirstOpenCreatesTheKeyAndEveryReadIsEmpty) {
    ASSERT_FALSE(std::filesystem::exists(hive_path()));
    {
        Registry registry;
        EXPECT_FALSE(registry.open_key(settings::launcher_key, false));
        ASSERT_TRUE(registry.open_key(settings::launcher_key, true));
        EXPECT_TRUE(registry.key_open());
        for (auto name : {settings::installdir, settings::style, settings::nosplash,
                          settings::start_minimized, settings::mods}) {
            EXPECT_EQ(registry.read_string(name), "");
            EXPECT_FALSE(kvtu::flag_on(registry.read_string(name)));
        }
    }
    EXPECT_EQ(file_bytes(hive_path()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER]\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Zelvane]\n\n" +
                  launcher_key_line + "\n");
    struct stat status {};
    ASSERT_EQ(stat(hive_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    Registry later;
    EXPECT_TRUE(later.open_key(settings::launcher_key, false));
}

TEST(SettingsStore, WrittenValuesAreSeenByLaterAccessorsAndKeepEveryByte) {
    std::string every_byte;
    for (int byte = 1; byte < 256; ++byte) every_byte += static_cast<char>(byte);
    {
        Registry registry;
        ASSERT_TRUE(registry.open_key(settings::ftp_key, true));
        registry.write_string(settings::ftp_pass, every_byte);
        registry.write_string(settings::ftp_host, "ftp.example.org");
        registry.write_string(settings::ftp_user, std::string("cut\0here", 8));
        registry.write_string(settings::ftp_host, "replaced \"quoted\" C:\\path\\");
    }
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::ftp_key, false));
    EXPECT_EQ(registry.read_string(settings::ftp_pass), every_byte);
    EXPECT_EQ(registry.read_string(settings::ftp_host), "replaced \"quoted\" C:\\path\\");
    EXPECT_EQ(registry.read_string(settings::ftp_user), "cut");
    EXPECT_EQ(registry.read_string("FTP_HOST"), "replaced \"quoted\" C:\\path\\");
    Registry other_case;
    ASSERT_TRUE(other_case.open_key("software\\ZELVANE\\kvtu vavaver\\FTP_Server", false));
    EXPECT_EQ(other_case.read_string(settings::ftp_host), "replaced \"quoted\" C:\\path\\");
}

// The forms write a control's value back whenever it is set, at every start too: a write that
// changes nothing must not replace (and flush) the file, while any real change still does.
TEST(SettingsStore, AWriteThatChangesNothingLeavesTheFileAlone) {
    put_hive(hive_with_launcher_values("\"nosplash\"=\"no\"\n\"expanded\"=hex(2):6e,6f,00\n"));
    const auto inode = [] {
        struct stat status {};
        EXPECT_EQ(stat(hive_path().c_str(), &status), 0);
        return status.st_ino;
    };
    const auto before = inode();
    const std::string bytes = file_bytes(hive_path());
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, false));
    registry.write_string(settings::nosplash, "no");
    registry.write_string("NOSPLASH", "no");  // names match regardless of case
    EXPECT_EQ(inode(), before);
    EXPECT_EQ(file_bytes(hive_path()), bytes);

    // The same text, but of another kind: stored as a plain text now.
    registry.write_string("expanded", "no");
    EXPECT_NE(inode(), before);
    EXPECT_NE(file_bytes(hive_path()).find("\"expanded\"=\"no\""), std::string::npos);
    const auto replaced = inode();
    registry.write_string(settings::nosplash, "yes");
    EXPECT_NE(inode(), replaced);
    EXPECT_EQ(registry.read_string(settings::nosplash), "yes");
    registry.write_string("new value", "");
    EXPECT_NE(file_bytes(hive_path()).find("\"new value\"=\"\""), std::string::npos);
}

TEST(SettingsStore, OnlyTheExactLowerCaseYesIsOn) {
    put_hive(hive_with_launcher_values(
        "\"a\"=\"Yes\"\n\"b\"=\"YES\"\n\"c\"=\" yes\"\n\"d\"=\"1\"\n\"e\"=\"yes \"\n"
        "\"on\"=\"yes\"\n\"expand\"=hex(2):79,65,73,00\n\"empty\"=hex(4):\n"));
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, false));
    for (const char* off : {"a", "b", "c", "d", "e", "missing", "empty"}) {
        EXPECT_FALSE(kvtu::flag_on(registry.read_string(off))) << off;
    }
    EXPECT_TRUE(kvtu::flag_on(registry.read_string("on")));
    EXPECT_TRUE(kvtu::flag_on(registry.read_string("expand")));
}

TEST(SettingsStore, TextsReadUpToTheirFirstNulAsStoredWithoutExpansion) {
    put_hive(
        hive_with_launcher_values("\"sz\"=hex(1):61,00,62,00\n"
                                  "\"path\"=hex(2):25,48,4f,4d,45,25,2f,78,00,74,00\n"
                                  "\"unterminated\"=hex(1):61,62\n"
                                  "\"no data\"=hex(1):\n"));
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, false));
    EXPECT_EQ(registry.read_string("sz"), "a");
    EXPECT_EQ(registry.read_string("path"), "%HOME%/x");
    EXPECT_EQ(registry.read_string("unterminated"), "ab");
    EXPECT_EQ(registry.read_string("no data"), "");
}

TEST(SettingsStore, TheStoresFilesArePrivateWhateverTheUmask) {
    mode_t saved_umask = umask(0);
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, true));
    registry.write_string(settings::ftp_pass, "secret");
    for (const auto& [path, mode] :
         {std::pair{hive_path(), 0600u}, std::pair{hive_path().parent_path(), 0700u},
          std::pair{std::filesystem::path(hive_path().string() + ".lock"), 0600u}}) {
        struct stat status {};
        ASSERT_EQ(stat(path.c_str(), &status), 0) << path;
        EXPECT_EQ(status.st_mode & 0777, mode) << path;
    }
    umask(saved_umask);
}

TEST(SettingsStore, ValuesOfOtherKindsRaiseInvalidDataType) {
    put_hive(hive_with_launcher_values(
        "\"nosplash\"=dword:00000001\n\"windowed\"=hex:79,65,73\n\"twomon\"=hex(7):79,00,00\n"));
    EXPECT_EQ(message_of_read("nosplash"), "Invalid data type for 'nosplash'");
    EXPECT_EQ(message_of_read("windowed"), "Invalid data type for 'windowed'");
    EXPECT_EQ(message_of_read("twomon"), "Invalid data type for 'twomon'");
}

TEST(SettingsStore, AHiveThatCannotBeWrittenRefusesWritesWithTheExactMessage) {
    Registry open_before;
    ASSERT_TRUE(open_before.open_key(settings::launcher_key, true));
    // A regular file where the hive's folder should be: no mode bit to bypass, even as root.
    std::filesystem::rename(hive_path().parent_path(), kvtu::test::sandbox() / "moved");
    kvtu::test::put_file(hive_path().parent_path(), "not a folder");
    EXPECT_EQ(message_of_write(open_before, "korvexe"), "Failed to set data for 'korvexe'");
    EXPECT_FALSE(open_before.delete_value("korvexe"));

    Registry not_open;
    EXPECT_FALSE(not_open.open_key(settings::launcher_key, true));
    EXPECT_EQ(message_of_write(not_open, "style"), "Failed to set data for 'style'");
    EXPECT_EQ(not_open.read_string("style"), "");
}

TEST(SettingsStore, AHiveThatBecomesUnreadableAfterTheOpenFailsReads) {
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, true));
    registry.write_string(settings::style, "default");
    put_hive("garbage\n");
    EXPECT_EQ(registry_error_of([&] { registry.read_string(settings::style); }),
              "Failed to get data for 'style'");
}

TEST(SettingsStore, DeletingRemovesTheValueAndAMissingValueIsNoError) {
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, true));
    registry.write_string(settings::mods, "@a;@b");
    EXPECT_TRUE(registry.delete_value(settings::mods));
    EXPECT_EQ(registry.read_string(settings::mods), "");
    EXPECT_FALSE(registry.delete_value(settings::mods));
    EXPECT_FALSE(registry.delete_value("never written"));
}

TEST(SettingsStore, NestedAccessorsOnOneKeySeeEachOthersWrites) {
    Registry outer;
    ASSERT_TRUE(outer.open_key(settings::launcher_key, true));
    outer.write_string(settings::windowed, "yes");
    {
        Registry handler;
        ASSERT_TRUE(handler.open_key(settings::launcher_key, true));
        EXPECT_EQ(handler.read_string(settings::windowed), "yes");
        handler.write_string(settings::nosplash, "no");
        {
            Registry inner;
            ASSERT_TRUE(inner.open_key(settings::launcher_key, true));
            inner.write_string(settings::twomon, "yes");
        }
    }
    EXPECT_EQ(outer.read_string(settings::nosplash), "no");
    EXPECT_EQ(outer.read_string(settings::twomon), "yes");
    outer.write_string(settings::benchmark, "yes");
    EXPECT_EQ(outer.read_string(settings::windowed), "yes");
    outer.close_key();
    EXPECT_FALSE(outer.key_open());
    EXPECT_EQ(outer.read_string(settings::windowed), "");
}

TEST(SettingsStore, AnInstallFolderWithATrailingSeparatorDoublesItInBuiltPaths) {
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, true));
    registry.write_string(settings::installdir, "/opt/kvtu/");
    std::string program =
        registry.read_string(settings::installdir) + std::string(kvtu::path_delim) + "kvt_vavaver";
    EXPECT_EQ(program, "/opt/kvtu//kvt_vavaver");
    registry.delete_value(settings::installdir);
    EXPECT_EQ(registry.read_string(settings::installdir) + std::string(kvtu::path_delim) +
                  kvtu::exe_name("kvtu_dadererizarud"),
              "/kvtu_dadererizarud");
}

}  // namespace
