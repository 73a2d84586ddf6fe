#include "launcher/launch_request.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "hive_test_files.h"
#include "platform/core/errors.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "platform/core/shell.h"
#include "standin_record.h"
#include "test_environment.h"

namespace fs = std::filesystem;
namespace settings = kvtu::settings;
using kvtu::Registry;

namespace {

using Arguments = std::vector<std::string>;
using Values = std::initializer_list<std::pair<std::string_view, std::string>>;

const std::string all_switches_example =
    " -nosplash -window -twomon -benchmark -nodmusic -nosound -mod=dxdll;brisolt;mod1;mod2";

void store(Values values) {
    Registry writer;
    ASSERT_TRUE(writer.open_key(settings::launcher_key, true));
    for (const auto& [name, text] : values) writer.write_string(name, text);
}

void store_all_switches(const std::string& flag_text) {
    for (const auto name :
         {settings::nosplash, settings::windowed, settings::twomon, settings::benchmark,
          settings::nodmusic, settings::nosound, settings::dxdll, settings::brisolt}) {
        store({{name, flag_text}});
    }
}

// As launch and join do: an accessor of their own, the key opened with creation.
LaunchRequest build() {
    Registry key;
    EXPECT_TRUE(key.open_key(settings::launcher_key, true));
    return BuildLaunchParameters(key);
}

TEST(BuildLaunchParameters, EmptyStoreGivesOnlyTheModSwitch) {
    const LaunchRequest request = build();
    EXPECT_EQ(request.parameters, " -mod=");
    EXPECT_EQ(request.file, "");
    EXPECT_EQ(request.working_folder, "");
}

TEST(BuildLaunchParameters, AllSwitchesInTheGamesOrderThenTheModList) {
    store_all_switches("yes");
    store({{settings::korvexe, "/games/Korv Uprising/korvanth"}, {settings::mods, "mod1;mod2"}});

    const LaunchRequest request = build();
    EXPECT_EQ(request.parameters, all_switches_example);
    EXPECT_EQ(request.working_folder, "/games/Korv Uprising/");
    EXPECT_EQ(request.file, "/games/Korv Uprising/korvanth");
}

TEST(BuildLaunchParameters, EachSwitchAloneAddsOnlyItsOwnText) {
    const std::vector<std::pair<std::string_view, std::string>> cases = {
        {settings::nosplash, " -nosplash -mod="},
        {settings::windowed, " -window -mod="},
        {settings::twomon, " -twomon -mod="},
        {settings::benchmark, " -benchmark -mod="},
        {settings::nodmusic, " -nodmusic -mod="},
        {settings::nosound, " -nosound -mod="},
        {settings::dxdll, " -mod=dxdll;"},
        {settings::brisolt, " -mod=brisolt;"},
        {settings::beta196, " -mod="},
    };
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(std::string(name));
        store_all_switches("no");
        store({{settings::beta196, "no"}, {name, "yes"}});
        EXPECT_EQ(build().parameters, expected);
    }
}

TEST(BuildLaunchParameters, OnlyLowerCaseYesCountsAsOn) {
    for (const std::string text : {"Yes", "YES", "yes ", " yes", "1", ""}) {
        SCOPED_TRACE(text);
        store_all_switches(text);
        store({{settings::beta196, text}, {settings::korvexe, "/games/korvanth"}});
        const LaunchRequest request = build();
        EXPECT_EQ(request.parameters, " -mod=");
        EXPECT_EQ(request.file, "/games/korvanth");
    }
}

TEST(BuildLaunchParameters, BetaStartsTheBetaExecutableBesideTheChosenFile) {
    store({{settings::korvexe, "/games/korv/korvanth"}, {settings::beta196, "yes"}});
    const LaunchRequest request = build();
    EXPECT_EQ(request.file, "/games/korv/KORVANTHBETA.EXE");
    EXPECT_EQ(request.working_folder, "/games/korv/");
    EXPECT_EQ(request.parameters, " -mod=");
}

TEST(BuildLaunchParameters, GameFileWithoutAFolder) {
    struct Case {
        std::string korvexe, beta196, file;
    };
    // ":" is an ordinary character of file names here, not a drive separator.
    for (const auto& [korvexe, beta196, file] : {
             Case{"", "no", ""},
             Case{"", "yes", "KORVANTHBETA.EXE"},
             Case{"korvanth", "no", "korvanth"},
             Case{"korvanth", "yes", "KORVANTHBETA.EXE"},
             Case{"C:korvanth", "no", "C:korvanth"},
         }) {
        SCOPED_TRACE(korvexe + " / " + beta196);
        store({{settings::korvexe, korvexe}, {settings::beta196, beta196}});
        const LaunchRequest request = build();
        EXPECT_EQ(request.working_folder, "");
        EXPECT_EQ(request.file, file);
    }
}

TEST(BuildLaunchParameters, ModListIsPassedExactlyAsStored) {
    store({{settings::dxdll, "yes"}, {settings::mods, " my mod ; other"}});
    EXPECT_EQ(build().parameters, " -mod=dxdll; my mod ; other");
    store({{settings::dxdll, "no"}, {settings::brisolt, "yes"}, {settings::mods, "\"q\"\\x"}});
    EXPECT_EQ(build().parameters, " -mod=brisolt;\"q\"\\x");
}

TEST(BuildLaunchParameters, JoinAppendsTheAddressAsTyped) {
    store_all_switches("yes");
    store({{settings::mods, "mod1;mod2"}});
    const LaunchRequest request = build();
    EXPECT_EQ(join_parameters(request, ""), all_switches_example + " -connect=");
    EXPECT_EQ(join_parameters(request, "host:2302"), all_switches_example + " -connect=host:2302");
    EXPECT_EQ(join_parameters(request, " 10.0.0.1 "),
              all_switches_example + " -connect= 10.0.0.1 ");
}

TEST(BuildLaunchParameters, ValueOfAnotherKindEndsTheBuild) {
    kvtu::test::put_hive(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n"
        "\"korvexe\"=\"/games/korvanth\"\n"
        "\"nosound\"=dword:00000001\n\n");
    try {
        build();
        FAIL() << "no error";
    } catch (const kvtu::RegistryError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'nosound'");
    }
}

// A value that cannot be read ends the build at its reading, so the first unreadable value
// named shows which is read first.
TEST(BuildLaunchParameters, ValuesAreReadInTheDesignedOrder) {
    const std::vector<std::string> read_order = {"korvexe", "beta196",   "nosplash", "windowed",
                                                 "twomon",  "benchmark", "nodmusic", "nosound",
                                                 "dxdll",   "brisolt",   "mods"};
    for (std::size_t first = 0; first < read_order.size(); ++first) {
        std::string hive =
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n";
        for (std::size_t i = read_order.size(); i-- > first;) {
            hive += "\"" + read_order[i] + "\"=dword:00000001\n";
        }
        kvtu::test::put_hive(hive + "\n");
        try {
            build();
            ADD_FAILURE() << "no error with " << read_order[first] << " unreadable";
        } catch (const kvtu::RegistryError& error) {
            EXPECT_EQ(error.what(), "Invalid data type for '" + read_order[first] + "'");
        }
    }
}

// The whole road of a launch and a join: the stored switches become the arguments and folder
// that a real started program sees.
class GameStart : public ::testing::Test {
  protected:
    void SetUp() override {
        game_folder_ = kvtu::test::sandbox() / "Korv Games";
        fs::create_directories(game_folder_);
        game_folder_ = fs::canonical(game_folder_);
        kvtu::test::record_standin_to(record_);
    }
    void TearDown() override { unsetenv("KVTU_STANDIN_RECORD"); }

    fs::path place_game(const std::string& name) {
        return kvtu::test::place_standin(game_folder_ / name);
    }

    kvtu::test::StandinRecord start(const std::string& ip_text, bool join) {
        const LaunchRequest request = build();
        kvtu::shell_open(request.file,
                         join ? join_parameters(request, ip_text) : request.parameters,
                         request.working_folder);
        auto seen = kvtu::test::await_standin_record(record_);
        EXPECT_TRUE(seen);
        return seen.value_or(kvtu::test::StandinRecord{});
    }

    fs::path game_folder_;
    fs::path record_ = kvtu::test::sandbox() / "record";
};

TEST_F(GameStart, LaunchPassesTheSplitSwitchesInTheGameFolder) {
    const fs::path game = place_game("korvanth");
    store_all_switches("yes");
    store({{settings::korvexe, game.string()}, {settings::mods, "my mod;x"}});

    const auto seen = start("", false);
    EXPECT_EQ(seen.arguments,
              (Arguments{game.string(), "-nosplash", "-window", "-twomon", "-benchmark",
                         "-nodmusic", "-nosound", "-mod=dxdll;brisolt;my", "mod;x"}));
    EXPECT_EQ(seen.working_folder, game_folder_.string());
}

TEST_F(GameStart, FirstLaunchFromAnEmptyStorePassesOnlyTheModSwitch) {
    const fs::path game = place_game("korvanth");
    store({{settings::korvexe, game.string()}});

    const auto seen = start("", false);
    EXPECT_EQ(seen.arguments, (Arguments{game.string(), "-mod="}));
    EXPECT_EQ(seen.working_folder, game_folder_.string());
}

TEST_F(GameStart, JoinStartsTheBetaExecutableWithTheAddress) {
    const fs::path game = place_game("korvanth");
    const fs::path beta = place_game("KORVANTHBETA.EXE");
    store({{settings::korvexe, game.string()}, {settings::beta196, "yes"}});

    const auto seen = start("127.0.0.1:2302", true);
    EXPECT_EQ(seen.arguments, (Arguments{beta.string(), "-mod=", "-connect=127.0.0.1:2302"}));
    EXPECT_EQ(seen.working_folder, game_folder_.string());
}

}  // namespace
