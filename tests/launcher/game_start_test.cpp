#include <QCheckBox>
#include <QLineEdit>
#include <QStyleOptionButton>
#include <QTest>

#include "../core/hive_test_files.h"
#include "launcher_fixture.h"
#include "standin_record.h"
#include "test_environment.h"

namespace kvtu::launcher::test {
namespace {

using kvtu::test::file_bytes;
using kvtu::test::hive_path;
using kvtu::test::sandbox;

const char* const box_names[] = {"no_splash", "windowed", "dxdll",   "brisolt",      "twomons",
                                 "benchmark", "nodmusic", "nosound", "beta196_start"};
const char* const value_names[] = {"nosplash",  "windowed", "dxdll",   "brisolt", "twomon",
                                   "benchmark", "nodmusic", "nosound", "beta196"};

class GameStartTest : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        ui::TrayIcon::assume_notification_area(true);
        kvtu::test::record_standin_to(record());
    }

    // A stand-in game in its own folder; every start of it writes record().
    static void plant_game(const std::string& file_name = "KorvanthUprising.exe") {
        kvtu::test::place_standin(game_folder() / file_name);
    }
    static std::filesystem::path record() { return sandbox() / "started.record"; }
    static std::filesystem::path game_folder() { return sandbox() / "game folder"; }

    static std::string stored(std::string_view name) {
        Registry settings_store;
        EXPECT_TRUE(settings_store.open_key(settings::launcher_key, true));
        return settings_store.read_string(name);
    }
    static bool stored_at_all(const std::string& name) {
        return file_bytes(hive_path()).find("\"" + name + "\"=") != std::string::npos;
    }
    static QCheckBox& box(const char* name) { return *main_form->findChild<QCheckBox*>(name); }
    static QLineEdit& field(const char* name) { return *main_form->findChild<QLineEdit*>(name); }
    // Clicks into the field and types the text after what it holds.
    static void type_in(const char* name, const QString& text) {
        click(field(name));
        kvtu::test::key(*main_form, Qt::Key_End);
        kvtu::test::type(*main_form, text);
    }

    // With a key that cannot be opened the switch set-up is skipped, boxes still change,
    // nothing is written, and launch and join neither start nor hide.
    void expect_store_left_alone() {
        EXPECT_TRUE(box("no_splash").isChecked());  // the design state stays
        click(box("windowed"));
        EXPECT_TRUE(box("windowed").isChecked());
        type_in("startup_mod", "x");
        click(picture("img_launch"));
        click(picture("img_join"));
        EXPECT_TRUE(main_form->isVisible());
    }

    // Awaits the started game's record: the program, its arguments and its working folder, and
    // none of the launcher's descriptors inherited. The record is removed for the next start.
    static void expect_started(const std::string& program, std::vector<std::string> arguments) {
        const auto seen = kvtu::test::await_standin_record(record());
        ASSERT_TRUE(seen) << "nothing was started";
        arguments.insert(arguments.begin(), (game_folder() / program).string());
        EXPECT_EQ(seen->arguments, arguments);
        EXPECT_EQ(seen->working_folder, game_folder().string());
        EXPECT_EQ(seen->inherited_descriptors, "");
        std::filesystem::remove(record());
    }
};

TEST_F(GameStartTest, LayoutOfTheSwitchRowsModRowAndAddressField) {
    start();
    for (int row = 0; row < 9; ++row) {
        const QCheckBox& switch_box = box(box_names[row]);
        const int y = row == 8 ? 233 : 57 + 22 * row;
        EXPECT_EQ(switch_box.geometry(), QRect(88, y, 12, 12)) << box_names[row];
        EXPECT_TRUE(switch_box.text().isEmpty());
        // The whole indicator, and so the tick, is drawn within the small box.
        QStyleOptionButton option;
        option.initFrom(&switch_box);
        const QRect indicator =
            switch_box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &switch_box);
        EXPECT_TRUE(switch_box.rect().contains(indicator)) << box_names[row];
    }
    EXPECT_EQ(main_form->findChild<QLabel*>("labal_brisolt")->text(), "brisolt");
    EXPECT_EQ(main_form->findChild<QLabel*>("label_nodmusic")->pos(), QPoint(8, 189));
    EXPECT_EQ(field("startup_mod").geometry(), QRect(65, 33, 200, 21));
    EXPECT_EQ(main_form->findChild<QLabel*>("label_mods")->text(), "MOD's:");
    EXPECT_EQ(main_form->findChild<QLabel*>("label_modhelp")->text(), "eg: mod1;mod2");
    EXPECT_EQ(field("server_ip").geometry(), QRect(169, 241, 73, 21));
}

TEST_F(GameStartTest, FirstStartStoresOnlyNosplashAndLaunchPassesOnlyTheModSwitch) {
    plant_game();
    start();
    EXPECT_EQ(stored("nosplash"), "no");
    for (int i = 1; i < 9; ++i) EXPECT_FALSE(stored_at_all(value_names[i])) << value_names[i];
    EXPECT_FALSE(stored_at_all("mods"));
    for (const char* name : box_names) EXPECT_FALSE(box(name).isChecked()) << name;
    EXPECT_TRUE(field("startup_mod").text().isEmpty());

    store(settings::korvexe, (game_folder() / "KorvanthUprising.exe").string());
    click(picture("img_launch"));
    expect_started("KorvanthUprising.exe", {"-mod="});
    EXPECT_TRUE(main_form->isHidden());
    EXPECT_TRUE(main_form->tray_icon().present());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GameStartTest, AllSwitchesAndAModListFromTheBoxesAndTheField) {
    plant_game();
    store(settings::korvexe, (game_folder() / "KorvanthUprising.exe").string());
    start();
    for (const char* name : box_names) {
        if (std::string(name) != "beta196_start") click(box(name));
    }
    type_in("startup_mod", "mod1;mod2");
    EXPECT_EQ(stored("mods"), "mod1;mod2");
    choose("launch");
    expect_started("KorvanthUprising.exe",
                   {"-nosplash", "-window", "-twomon", "-benchmark", "-nodmusic", "-nosound",
                    "-mod=dxdll;brisolt;mod1;mod2"});
    EXPECT_TRUE(main_form->isHidden());
}

TEST_F(GameStartTest, StoredSwitchesAreSetAtStartUpAndRunTheirHandlers) {
    // A text value of the other text kind reads as "yes" and is written back as plain text
    // only where the box's state changes.
    kvtu::test::put_hive(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n" +
        design_skin_hive_lines() +
        "\"nosplash\"=hex(2):79,65,73,00\n"
        "\"windowed\"=hex(2):79,65,73,00\n"
        "\"benchmark\"=\"YES\"\n"
        "\"mods\"=\"mod1;\"\n\n");
    start();
    EXPECT_TRUE(box("no_splash").isChecked());
    EXPECT_TRUE(box("windowed").isChecked());
    EXPECT_FALSE(box("benchmark").isChecked());
    const std::string hive = file_bytes(hive_path());
    EXPECT_NE(hive.find("\"nosplash\"=hex(2)"), std::string::npos);   // unchanged: not written
    EXPECT_NE(hive.find("\"windowed\"=\"yes\""), std::string::npos);  // written back
    EXPECT_NE(hive.find("\"benchmark\"=\"YES\""), std::string::npos);
    EXPECT_EQ(field("startup_mod").text(), "mod1;");
}

// An unreadable value ends FormCreate at its reading, before the icon; the first unreadable
// value named shows which is read first.
TEST_F(GameStartTest, StartUpReadsInTheDesignedOrderAndAnErrorEndsItBeforeTheIcon) {
    const std::vector<std::string> read_order = {
        "start_minimized", "nosplash", "windowed", "dxdll",   "brisolt", "twomon",
        "benchmark",       "nodmusic", "nosound",  "beta196", "mods"};
    for (std::size_t first = 0; first < read_order.size(); ++first) {
        std::string hive =
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n" +
            design_skin_hive_lines();
        for (std::size_t i = first; i < read_order.size(); ++i) {
            hive += "\"" + read_order[i] + "\"=dword:00000001\n";
        }
        kvtu::test::put_hive(hive + "\n");
        boxes.clear();
        create_windows();
        ASSERT_GE(boxes.size(), 1u) << read_order[first];  // and the setup dialog's own
        EXPECT_EQ(boxes[0].text, "Invalid data type for '" + read_order[first] + "'");
        EXPECT_FALSE(main_form->tray_icon().present()) << read_order[first];
        destroy_windows();
    }
}

TEST_F(GameStartTest, NosplashYesInOtherCaseIsOverwrittenWithNo) {
    store(settings::nosplash, "Yes");
    store(settings::windowed, "YES");
    start();
    EXPECT_FALSE(box("no_splash").isChecked());
    EXPECT_EQ(stored("nosplash"), "no");
    EXPECT_EQ(stored("windowed"), "YES");
}

TEST_F(GameStartTest, TickingAndClearingABoxWritesYesThenNo) {
    start();
    click(box("dxdll"));
    EXPECT_EQ(stored("dxdll"), "yes");
    click(box("dxdll"));
    EXPECT_EQ(stored("dxdll"), "no");
    // The keyboard ticks a box too.
    click(box("beta196_start"));
    kvtu::test::key(*main_form, Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_FALSE(box("beta196_start").isChecked());
    EXPECT_EQ(stored("beta196"), "no");
    kvtu::test::key(*main_form, Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_EQ(stored("beta196"), "yes");
}

TEST_F(GameStartTest, EmptiedModFieldIsStoredEmpty) {
    plant_game();
    store(settings::korvexe, (game_folder() / "KorvanthUprising.exe").string());
    start();
    type_in("startup_mod", "ab");
    EXPECT_EQ(stored("mods"), "ab");
    kvtu::test::key(*main_form, Qt::Key_Backspace);
    EXPECT_EQ(stored("mods"), "a");
    kvtu::test::key(*main_form, Qt::Key_Backspace);
    EXPECT_EQ(stored("mods"), "");
    click(picture("img_launch"));
    expect_started("KorvanthUprising.exe", {"-mod="});
}

TEST_F(GameStartTest, BetaSwitchStartsTheBetaExecutableBesideTheChosenOne) {
    plant_game();
    plant_game("KORVANTHBETA.EXE");
    store(settings::korvexe, (game_folder() / "KorvanthUprising.exe").string());
    store(settings::beta196, "yes");
    start();
    click(picture("img_launch"));
    expect_started("KORVANTHBETA.EXE", {"-mod="});
}

TEST_F(GameStartTest, JoinAppendsTheAddressAsTyped) {
    plant_game();
    store(settings::korvexe, (game_folder() / "KorvanthUprising.exe").string());
    start();
    click(picture("img_join"));
    expect_started("KorvanthUprising.exe", {"-mod=", "-connect="});
    EXPECT_TRUE(main_form->isHidden());

    main_form->tray_icon().deliver(ui::TrayIcon::left_button_down);
    type_in("server_ip", "10.0.0.7:2302");
    click(picture("img_join"));
    expect_started("KorvanthUprising.exe", {"-mod=", "-connect=10.0.0.7:2302"});
}

TEST_F(GameStartTest, EmptyKorvexeStartsNothingVisibleAndStillHides) {
    start();
    click(picture("img_launch"));
    EXPECT_TRUE(main_form->isHidden());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GameStartTest, UnparsableHiveBoxesChangeNothingIsWrittenLaunchAndJoinDoNothing) {
    const std::string unparsable = "not a hive at all\n";
    kvtu::test::put_hive(unparsable);
    start();
    expect_store_left_alone();
    EXPECT_EQ(file_bytes(hive_path()), unparsable);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, missing_style_file_error);
}

TEST_F(GameStartTest, HiveThatCannotBeCreatedBoxesChangeNothingIsWrittenLaunchAndJoinDoNothing) {
    // The store's folder would have to lie below a plain file.
    const auto blocker = sandbox() / "not a folder";
    kvtu::test::put_file(blocker, "plain file\n");
    setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
    start();
    expect_store_left_alone();
    EXPECT_EQ(file_bytes(blocker), "plain file\n");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, missing_style_file_error);
}

TEST_F(GameStartTest, ValueThatCannotBeReadEndsLaunchAndJoinWithTheWindowShown) {
    plant_game();
    start();
    kvtu::test::put_hive(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n"
        "\"korvexe\"=\"" +
        (game_folder() / "KorvanthUprising.exe").string() +
        "\"\n"
        "\"nosound\"=dword:00000001\n\n");
    click(picture("img_launch"));
    click(picture("img_join"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Invalid data type for 'nosound'");
    EXPECT_EQ(boxes[1].text, "Invalid data type for 'nosound'");
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_FALSE(std::filesystem::exists(record()));
}

}  // namespace
}  // namespace kvtu::launcher::test
