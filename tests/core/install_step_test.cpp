#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>

#include "hive_test_files.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"

namespace {

namespace fs = std::filesystem;
namespace settings = kvtu::settings;

fs::path data_home() {
    return kvtu::test::sandbox() / "data";
}

// The install script run against a build (this one unless named), into `folder`, with the
// sandbox's store and data folder; `shell_prefix` goes in front of the command (a cd,
// variables).
int run_install(const std::string& folder, const std::string& build = kvtu::test::binary_dir(),
                const std::string& shell_prefix = "") {
    std::string command = "export XDG_DATA_HOME='" + data_home().string() + "'; " + shell_prefix +
                          "'" + (kvtu::test::source_dir() / "scripts" / "install.sh").string() +
                          "' '" + folder + "' '" + build + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

std::string stored(std::string_view name) {
    kvtu::Registry registry;
    EXPECT_TRUE(registry.open_key(settings::launcher_key, false));
    return registry.read_string(name);
}

// The value of a key in a desktop entry file; "missing" when it has none.
std::string entry_value(const fs::path& entry, const std::string& key) {
    std::istringstream lines(kvtu::test::file_bytes(entry));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
    }
    return "missing";
}

// Both menu entries in the data folder start their program in the install folder, with the
// suite's icon beside them.
void expect_menu_entries(const fs::path& data, const fs::path& install_folder) {
    const fs::path folder = fs::canonical(install_folder);
    const std::pair<const char*, std::string> entries[] = {
        {"kvtu-vavaver.desktop", "kvt_vavaver"},
        {"kvtu-dadererizarud.desktop", "kvtu_dadererizarud"},
    };
    for (const auto& [file, program] : entries) {
        const fs::path entry = data / "applications" / file;
        SCOPED_TRACE(entry.string());
        EXPECT_EQ(entry_value(entry, "Type"), "Application");
        EXPECT_EQ(entry_value(entry, "Exec"), "\"" + (folder / program).string() + "\"");
        EXPECT_EQ(entry_value(entry, "Icon"), "kvtu");
        EXPECT_EQ(entry_value(entry, "Categories"), "Game;");
    }
    EXPECT_EQ(entry_value(data / "applications" / "kvtu-vavaver.desktop", "Name"), "KVT:U Vavaver");
    EXPECT_EQ(entry_value(data / "applications" / "kvtu-dadererizarud.desktop", "Name"),
              "KVT:U Server Browser");
    EXPECT_EQ(kvtu::test::file_bytes(data / "icons" / "hicolor" / "128x128" / "apps" / "kvtu.png"),
              kvtu::test::file_bytes(kvtu::test::source_dir() / "assets" / "icons" / "kvtu.png"));
}

bool executable(const fs::path& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 0100);
}

TEST(InstallStep, InstallsTheLayoutAndRecordsTheFolder) {
    const fs::path folder = kvtu::test::install_dir();
    ASSERT_EQ(run_install(folder.string() + "/"), 0);

    EXPECT_TRUE(executable(folder / "kvt_vavaver"));
    EXPECT_TRUE(executable(folder / "kvtu_dadererizarud"));
    EXPECT_TRUE(fs::is_directory(folder / "styles"));
    EXPECT_FALSE(fs::exists(folder / "styles" / ".keep"));
    EXPECT_TRUE(fs::is_regular_file(folder / "dta" / "serverlist.dat"));
    EXPECT_TRUE(fs::is_directory(folder / "tmp"));
    EXPECT_TRUE(fs::is_empty(folder / "tmp"));

    EXPECT_EQ(stored(settings::installdir), fs::canonical(folder).string());
    EXPECT_EQ(stored(settings::style), "default");
    expect_menu_entries(data_home(), folder);

    // A later install elsewhere moves installdir and the menu entries but keeps the skin the
    // user chose.
    {
        kvtu::Registry registry;
        ASSERT_TRUE(registry.open_key(settings::launcher_key, false));
        registry.write_string(settings::style, "chosen");
    }
    const fs::path second = kvtu::test::sandbox() / "second place";
    ASSERT_EQ(run_install(second.string()), 0);
    EXPECT_TRUE(executable(second / "kvt_vavaver"));
    EXPECT_EQ(stored(settings::installdir), fs::canonical(second).string());
    EXPECT_EQ(stored(settings::style), "chosen");
    expect_menu_entries(data_home(), second);

    // Without XDG_DATA_HOME the entries go to the home folder's data folder.
    const fs::path home = kvtu::test::sandbox() / "home";
    ASSERT_EQ(run_install(folder.string(), kvtu::test::binary_dir(),
                          "unset XDG_DATA_HOME; export HOME='" + home.string() + "'; "),
              0);
    expect_menu_entries(home / ".local" / "share", folder);
}

TEST(InstallStep, InstallingAgainKeepsTheUsersServerList) {
    const fs::path folder = kvtu::test::install_dir();
    ASSERT_EQ(run_install(folder.string()), 0);
    kvtu::test::put_file(folder / "dta" / "serverlist.dat", "10.0.0.7:2302\n");
    ASSERT_EQ(run_install(folder.string()), 0);
    EXPECT_EQ(kvtu::test::file_bytes(folder / "dta" / "serverlist.dat"), "10.0.0.7:2302\n");
}

TEST(InstallStep, ARelativeFolderIsRecordedAsItselfWhateverCdpathSays) {
    const fs::path sandbox = kvtu::test::sandbox();
    fs::create_directories(sandbox / "decoy" / "relative");
    ASSERT_EQ(run_install("relative", kvtu::test::binary_dir(),
                          "cd '" + sandbox.string() + "' && CDPATH='" +
                              (sandbox / "decoy").string() + "' "),
              0);
    EXPECT_TRUE(executable(sandbox / "relative" / "kvt_vavaver"));
    EXPECT_EQ(stored(settings::installdir), fs::canonical(sandbox / "relative").string());
}

TEST(InstallStep, WithoutABuildNothingIsInstalledOrRecorded) {
    const fs::path folder = kvtu::test::install_dir();
    EXPECT_NE(run_install(folder.string(), (kvtu::test::sandbox() / "no build").string()), 0);
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_FALSE(fs::exists(kvtu::test::hive_path()));
}

TEST(InstallStep, AStoreThatCannotBeParsedFailsTheInstallAndIsKept) {
    kvtu::test::put_hive("not a hive\n");
    EXPECT_NE(run_install(kvtu::test::install_dir().string()), 0);
    EXPECT_EQ(kvtu::test::file_bytes(kvtu::test::hive_path()), "not a hive\n");
}

}  // namespace
