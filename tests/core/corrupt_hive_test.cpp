#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "hive_test_files.h"
#include "platform/core/errors.h"
#include "platform/core/hive_file.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"

namespace {

using kvtu::Registry;
namespace settings = kvtu::settings;
using kvtu::test::file_bytes;
using kvtu::test::hive_path;

const std::string good_hive =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n"
    "\"installdir\"=\"/opt/kvtu\"\n"
    "\"style\"=\"default\"\n"
    "\"blob\"=hex:01,02,03,04,05,06\n";

// Every operation of the programs on a hive that cannot be parsed: opens fail, writes are
// refused and the file keeps every byte, with no stray temporary file beside it.
void expect_left_untouched(const std::string& corrupt) {
    kvtu::test::put_hive(corrupt);
    Registry registry;
    EXPECT_FALSE(registry.open_key(settings::launcher_key, true));
    EXPECT_FALSE(registry.open_key(settings::ftp_key, false));
    EXPECT_EQ(registry.read_string(settings::style), "");
    EXPECT_THROW(registry.write_string(settings::style, "other"), kvtu::RegistryError);
    EXPECT_FALSE(registry.delete_value(settings::style));
    EXPECT_EQ(file_bytes(hive_path()), corrupt);
    for (const auto& entry : std::filesystem::directory_iterator(hive_path().parent_path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "HKEY_CURRENT_USER.reg" || name == "HKEY_CURRENT_USER.reg.lock")
            << name;
    }
}

TEST(CorruptHive, GarbageIsLeftByteForByte) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
    expect_left_untouched(garbage);
}

TEST(CorruptHive, TruncatedHivesAreLeftByteForByte) {
    for (std::size_t cut : {std::size_t{10}, good_hive.find("Vavaver"), good_hive.find("/opt"),
                            good_hive.find("5,06"), good_hive.size() - 3}) {
        expect_left_untouched(good_hive.substr(0, cut));
    }
}

TEST(CorruptHive, TheStartUpMessageNamesTheFileAndTheLine) {
    kvtu::test::put_hive(good_hive + "\"style\" \"no equals sign\"\n");
    EXPECT_EQ(kvtu::HiveFile().problem(),
              "The settings file \"" + hive_path().string() +
                  "\" cannot be read: line 7 is not understood. It is left as it is, and the "
                  "program runs without settings until the file is mended or removed.");
    kvtu::test::put_hive(good_hive);
    EXPECT_EQ(kvtu::HiveFile().problem(), "");
    std::filesystem::remove(hive_path());
    EXPECT_EQ(kvtu::HiveFile().problem(), "");
}

TEST(CorruptHive, AnythingButAFileAtTheHivesPathIsRefusedWithoutWaiting) {
    std::filesystem::create_directories(hive_path().parent_path());
    const std::string not_regular = "The settings file \"" + hive_path().string() +
                                    "\" is not a regular file. It is left as it is, and the "
                                    "program runs without settings until the file is mended or "
                                    "removed.";
    // A FIFO without a writer would block an ordinary open for ever.
    ASSERT_EQ(mkfifo(hive_path().c_str(), 0600), 0);
    EXPECT_EQ(kvtu::HiveFile().problem(), not_regular);
    {
        Registry registry;
        EXPECT_FALSE(registry.open_key(settings::launcher_key, true));
        EXPECT_THROW(registry.write_string(settings::style, "other"), kvtu::RegistryError);
    }
    EXPECT_TRUE(std::filesystem::is_fifo(hive_path()));

    std::filesystem::remove(hive_path());
    std::filesystem::create_directory(hive_path());
    EXPECT_EQ(kvtu::HiveFile().problem(), not_regular);
    EXPECT_FALSE(Registry().open_key(settings::launcher_key, true));
    EXPECT_TRUE(std::filesystem::is_directory(hive_path()));
}

TEST(CorruptHive, TemporaryFilesOfKilledWritersGoAtTheNextWrite) {
    kvtu::test::put_hive(good_hive);
    const std::filesystem::path folder = hive_path().parent_path();
    // Writers hold the lock while their temporary file exists, so whoever holds it finds only
    // files of writers that died; names that are not of that form are no one's to remove.
    const std::string left[] = {".HKEY_CURRENT_USER.reg.a1B2c3", ".HKEY_CURRENT_USER.reg.ZZZZZZ"};
    const std::string others[] = {".HKEY_CURRENT_USER.reg.a1B2c3d", ".HKEY_CURRENT_USER.reg.a1-2c3",
                                  ".other.reg.a1B2c3", "HKEY_CURRENT_USER.reg.a1B2c3"};
    for (const auto& name : left) kvtu::test::put_file(folder / name, "half a hive");
    for (const auto& name : others) kvtu::test::put_file(folder / name, "someone's");
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, false));
    EXPECT_EQ(registry.read_string(settings::style), "default");
    for (const auto& name : left) EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    registry.write_string(settings::style, "other");
    for (const auto& name : left) EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
    for (const auto& name : others) EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    EXPECT_EQ(registry.read_string(settings::style), "other");
}

TEST(CorruptHive, AHiveSpoiledWhileAKeyIsOpenIsNotOverwritten) {
    kvtu::test::put_hive(good_hive);
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, false));
    std::string spoiled = good_hive.substr(0, good_hive.size() - 6);
    kvtu::test::put_hive(spoiled);
    EXPECT_EQ(
        kvtu::test::registry_error_of([&] { registry.write_string(settings::style, "other"); }),
        "Failed to set data for 'style'");
    EXPECT_FALSE(registry.delete_value(settings::installdir));
    EXPECT_EQ(file_bytes(hive_path()), spoiled);
}

TEST(CorruptHive, AReadableHiveKeepsTheValuesTheSuiteDoesNotKnow) {
    std::string with_foreign_kinds = good_hive +
                                     "\"quad\"=hex(b):01,00,00,00,00,00,00,00\n"
                                     "\"list\"=hex(7):61,00,62,00,00\n";
    kvtu::test::put_hive(with_foreign_kinds);
    Registry registry;
    ASSERT_TRUE(registry.open_key(settings::launcher_key, false));
    EXPECT_THROW(registry.read_string("quad"), kvtu::RegistryError);
    registry.write_string(settings::style, "other");
    std::string after = file_bytes(hive_path());
    EXPECT_NE(after.find("\"quad\"=hex(b):01,00,00,00,00,00,00,00\n"), std::string::npos);
    EXPECT_NE(after.find("\"list\"=hex(7):61,00,62,00,00\n"), std::string::npos);
    EXPECT_NE(after.find("\"blob\"=hex:01,02,03,04,05,06\n"), std::string::npos);
    EXPECT_NE(after.find("\"style\"=\"other\"\n"), std::string::npos);
}

}  // namespace
