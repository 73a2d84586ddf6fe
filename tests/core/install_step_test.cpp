#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "hive_test_files.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"

namespace {

namespace fs = std::filesystem;
namespace settings = kvtu::settings;

// The install script run against a build (this one unless named), into `folder`, with the
// sandbox's store; `shell_prefix` goes in front of the command (a cd, variables).
int run_install(const std::string& folder, const std::string& build = kvtu::test::binary_dir(),
                const std::string& shell_prefix = "") {
    std::string command = shell_prefix + "'" +
                          (kvtu::test::source_dir() / "scripts" / "install.sh").string() + "' '" +
                          folder + "' '" + build + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

std::string stored(std::string_view name) {
    kvtu::Registry registry;
    EXPECT_TRUE(registry.open_key(settings::launcher_key, false));
    return registry.read_string(name);
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

    // A later install elsewhere moves installdir but keeps the skin the user chose.
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
