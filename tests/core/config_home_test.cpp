#include "platform/core/config_home.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "hive_test_files.h"
#include "platform/core/autostart_entry.h"
#include "platform/core/hive_file.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"

namespace {

namespace fs = std::filesystem;

// Sets or unsets an environment variable for the life of the object.
class EnvironmentVariable {
  public:
    EnvironmentVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) saved_ = old;
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvironmentVariable() {
        if (saved_) {
            setenv(name_, saved_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(ConfigHome, WithoutAnAbsoluteXdgConfigHomeTheStoreLiesInDotConfigOfHome) {
    const fs::path home = kvtu::test::sandbox() / "home";
    EnvironmentVariable home_variable("HOME", home.string());
    fs::current_path(kvtu::test::sandbox());
    for (std::optional<std::string> setting :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/config")}) {
        EnvironmentVariable config_variable("XDG_CONFIG_HOME", setting);
        EXPECT_EQ(kvtu::HiveFile().path(), home / ".config" / "kvtu" / "HKEY_CURRENT_USER.reg");
        EXPECT_EQ(kvtu::autostart::entry_file(),
                  home / ".config" / "autostart" / "kvtu-vavaver.desktop");

        kvtu::Registry registry;
        ASSERT_TRUE(registry.open_key(kvtu::settings::launcher_key, true));
        registry.write_string(kvtu::settings::style, "default");
    }
    EXPECT_TRUE(fs::is_regular_file(home / ".config" / "kvtu" / "HKEY_CURRENT_USER.reg"));
    EXPECT_FALSE(fs::exists(kvtu::test::sandbox() / "relative"));
}

TEST(ConfigHome, AMissingOrRelativeHomeGivesWayToTheAccountsHomeFolder) {
    EnvironmentVariable config_variable("XDG_CONFIG_HOME", std::nullopt);
    const passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    const fs::path expected = fs::path(account->pw_dir) / ".config";
    for (std::optional<std::string> setting :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/home")}) {
        EnvironmentVariable home_variable("HOME", setting);
        EXPECT_EQ(kvtu::config_home(), expected);
    }
}

}  // namespace
