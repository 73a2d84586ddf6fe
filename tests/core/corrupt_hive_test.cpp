#include <gtest/gtest.h>

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
