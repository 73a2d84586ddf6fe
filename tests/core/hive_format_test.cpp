#include "platform/core/hive_format.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>

namespace {

namespace hive = kvtu::hive;

const std::vector<std::string> launcher_path = {"Software", "Zelvane", "KVTU Vavaver"};

TEST(HiveText, EveryKindAndEveryByteComesBackAsStored) {
    hive::Key root{"HKEY_CURRENT_USER", {}, {}};
    hive::Key& key = hive::make_key(root, launcher_path);
    std::string every_byte;
    for (int byte = 0; byte < 256; ++byte) every_byte += static_cast<char>(byte);
    hive::set_value(key, {"plain", hive::reg_sz, std::string("a \"b\" \\c\\ \xE9\0", 12)});
    hive::set_value(key, {"lines", hive::reg_sz, "one\r\ntwo" + std::string(1, '\0')});
    hive::set_value(key, {"all bytes", hive::reg_sz, every_byte + '\0'});
    hive::set_value(key, {"no terminator", hive::reg_sz, "abc"});
    hive::set_value(key, {"nothing", hive::reg_sz, ""});
    hive::set_value(key, {"expand", hive::reg_expand_sz, std::string("%HOME%\0", 7)});
    hive::set_value(key, {"number", hive::reg_dword, std::string("\x2a\0\0\x80", 4)});
    hive::set_value(key, {"short number", hive::reg_dword, "\x01"});
    hive::set_value(key, {"binary", hive::reg_binary, every_byte});
    hive::set_value(key, {"quad", 0xb, std::string(8, '\x7f')});
    hive::set_value(key, {"", hive::reg_sz, std::string("default\0", 8)});
    hive::make_key(root, {"Software", "Empty"});

    std::string text = hive::serialize(root);
    EXPECT_NE(text.find("\n\"plain\"=\"a \\\"b\\\" \\\\c\\\\ \xE9\"\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"number\"=dword:8000002a\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"lines\"=hex(1):6f,6e,65,0d,0a,74,77,6f,00\n"), std::string::npos);
    EXPECT_NE(text.find("\n\"quad\"=hex(b):7f,7f,"), std::string::npos);
    EXPECT_NE(text.find("\n@=\"default\"\n"), std::string::npos);
    EXPECT_NE(text.find("\n[HKEY_CURRENT_USER\\Software\\Empty]\n"), std::string::npos);

    auto parsed = hive::parse(text);
    ASSERT_TRUE(parsed);
    const hive::Key* back = hive::find_key(*parsed, launcher_path);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->values.size(), key.values.size());
    for (std::size_t i = 0; i < key.values.size(); ++i) {
        EXPECT_EQ(back->values[i].name, key.values[i].name);
        EXPECT_EQ(back->values[i].kind, key.values[i].kind) << key.values[i].name;
        EXPECT_EQ(back->values[i].data, key.values[i].data) << key.values[i].name;
    }
    EXPECT_NE(hive::find_key(*parsed, {"software", "empty"}), nullptr);
    EXPECT_EQ(hive::serialize(*parsed), text);
}

TEST(HiveText, ReadsWhatTheEditorWritesAndMergesKeysRegardlessOfCase) {
    auto parsed = hive::parse(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
        "; written by hand\r\n"
        "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\r\n"
        "\"style\"=\"first\"\r\n"
        "\"blob\"=hex:01,02,\\\r\n"
        "  03,\\\r\n"
        "  04\r\n"
        "\"number\"=DWORD:0000002A\r\n"
        "[hkey_current_user\\SOFTWARE\\zelvane\\kvtu vavaver]\r\n"
        "\"STYLE\"=\"second\"\r\n"
        "\"path\"=\"C:\\\\games\\\\\"\r\n");
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->subkeys.size(), 1u);
    const hive::Key* key = hive::find_key(*parsed, launcher_path);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 4u);
    EXPECT_EQ(key->values[0].name, "style");
    EXPECT_EQ(key->values[0].data, std::string("second\0", 7));
    EXPECT_EQ(key->values[1].kind, hive::reg_binary);
    EXPECT_EQ(key->values[1].data, "\x01\x02\x03\x04");
    EXPECT_EQ(key->values[2].data, std::string("\x2a\0\0\0", 4));
    EXPECT_EQ(key->values[3].data, std::string("C:\\games\\\0", 10));
}

TEST(HiveText, HandEditsAndOlderExportsAreRead) {
    auto parsed = hive::parse(
        "\n  \t\n"
        "REGEDIT4 \t\r\n"
        "\t\n"
        "  [HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\t \n"
        "\"style\" = \"def ault\"  \n"
        "   \n"
        "\"mods\"\t=\t\"@a\"\r\n"
        "@ =\"default\"\n"
        "\"number\"= dword:0000002a \n"
        "\"blob\" =hex:01,\\ \t\n"
        "   02 \n"
        "\"expand\"=hex(2):25,48,00\n");
    ASSERT_TRUE(parsed);
    const hive::Key* key = hive::find_key(*parsed, launcher_path);
    ASSERT_NE(key, nullptr);
    const std::pair<const char*, std::string> expected[] = {
        {"style", std::string("def ault\0", 9)},
        {"mods", std::string("@a\0", 3)},
        {"", std::string("default\0", 8)},
        {"number", std::string("\x2a\0\0\0", 4)},
        {"blob", "\x01\x02"},
        {"expand", std::string("%H\0", 3)},
    };
    ASSERT_EQ(key->values.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(key->values[i].name, expected[i].first);
        EXPECT_EQ(key->values[i].data, expected[i].second) << expected[i].first;
    }
}

TEST(HiveText, IncompleteOrForeignTextIsNoHiveAndTheLineIsNamed) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_CURRENT_USER\\Software]\n";
    const std::pair<std::string, std::size_t> cases[] = {
        {std::string(), 1},
        {"garbage\n", 1},
        {"\n\ngarbage\n", 3},
        {"Windows Registry Edi", 1},
        {"REGEDIT 4\n", 1},
        {"; comment\n" + header, 1},
        {header + "[HKEY_CURRENT_USER\\Softw", 2},
        {header + "[HKEY_LOCAL_MACHINE\\Software]\n", 2},
        {header + "[HKEY_CURRENT_USERX]\n", 2},
        {header + "[HKEY_CURRENT_USER\\a\\\\b]\n", 2},
        {header + "[-HKEY_CURRENT_USER\\Software]\n", 2},
        {header + "\"before any key\"=\"x\"\n", 2},
        {header + key + "\"style\"=\"defa", 3},
        {header + key + "\n\"style\"=\"bad \\escape\"\n", 4},
        {header + key + "\"style\"=\"x\" trailing\n", 3},
        {header + key + "\"style\"=-\n", 3},
        {header + key + "\"style\"\n", 3},
        {header + key + "\"style\" \"x\"\n", 3},
        {header + key + "\"number\"=dword:0000\n", 3},
        {header + key + "\"number\"=dword:0000000g\n", 3},
        {header + key + "\"blob\"=hex:01,0\n", 3},
        {header + key + "\"blob\"=hex:01,\\\n 02,\\\n", 4},
        {header + key + "\"blob\"=hex(zz):01\n", 3},
        {header + key + "\"blob\"=hex():01\n", 3},
        {header + key + "\"blob\"=hex(123456789):01\n", 3},
        {header + key + "\n\nloose text\n", 5},
    };
    for (const auto& [text, line] : cases) {
        std::size_t failed_line = 0;
        EXPECT_FALSE(hive::parse(text, &failed_line)) << text;
        EXPECT_EQ(failed_line, line) << text;
    }
    EXPECT_TRUE(hive::parse(header));
    EXPECT_TRUE(hive::parse(header + key + "\"blob\"=hex:\n"));
}

}  // namespace
