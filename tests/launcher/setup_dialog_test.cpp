#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../core/hive_test_files.h"
#include "launcher_fixture.h"
#include "platform/core/autostart_entry.h"
#include "platform/core/hive_format.h"
#include "platform/ui/open_dialog.h"
#include "test_environment.h"
#include "user_input.h"

namespace kvtu::launcher::test {
namespace {

using kvtu::test::config_home;
using kvtu::test::file_bytes;
using kvtu::test::hive_path;
using kvtu::test::install_dir;
using kvtu::test::put_file;
using kvtu::test::put_hive;
using kvtu::test::sandbox;
using Values = std::vector<std::pair<std::string, std::string>>;

// Every test starts with the fixture's skin: the store knows the install folder and the skin
// "design", whose folder is in the install folder's skins folder.
class SetupDialogTest : public LauncherTest {
  protected:
    // A test that runs the open-file dialog without answering it fails instead of waiting for
    // a user who is not there.
    void SetUp() override {
        LauncherTest::SetUp();
        ui::OpenDialog::set_answerer([](const ui::OpenDialog&) -> std::optional<std::string> {
            ADD_FAILURE() << "the open-file dialog ran without an answer";
            return std::nullopt;
        });
    }

    void TearDown() override {
        ui::OpenDialog::set_answerer(nullptr);
        LauncherTest::TearDown();
    }

    // The dialog alone, as the launcher's start creates it.
    static Tform_setup& create_dialog() {
        form_setup = new Tform_setup;
        return *form_setup;
    }
    // Created, then shown as the main window's setup picture shows it, for the user's input.
    static Tform_setup& open_dialog() {
        create_dialog();
        show_window(*form_setup);
        return *form_setup;
    }

    template <class Widget>
    static Widget& child(const char* name) {
        auto* widget = form_setup->findChild<Widget*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return *widget;
    }
    static QLabel& label(const char* name) { return child<QLabel>(name); }
    static QLineEdit& field(const char* name) { return child<QLineEdit>(name); }
    static QCheckBox& box(const char* name) { return child<QCheckBox>(name); }
    static QComboBox& combo() { return child<QComboBox>("combo_styles"); }
    // What a person does: bring the control's page to the front, then click or type.
    static void bring_forward(const QWidget& control) {
        auto& pages = child<QTabWidget>("tab_1");
        for (int index = 0; index < pages.count(); ++index) {
            if (pages.widget(index)->isAncestorOf(&control)) kvtu::test::show_page(pages, index);
        }
    }
    static void press(const char* name) {
        QPushButton& button = child<QPushButton>(name);
        bring_forward(button);
        click(button);
    }
    static void set_box(const char* name, bool ticked) {
        QCheckBox& check_box = box(name);
        bring_forward(check_box);
        if (check_box.isChecked() != ticked) click(check_box);
    }
    // Replaces what the field holds by typing.
    static void fill(const QWidget& field, const QString& text) {
        bring_forward(field);
        kvtu::test::type_into(field, text);
    }

    // Removes a value that the fixture's skin recorded, for tests that need it missing.
    static void forget(std::string_view name) {
        Registry settings_store;
        ASSERT_TRUE(settings_store.open_key(settings::launcher_key, false));
        ASSERT_TRUE(settings_store.delete_value(name));
    }

    static void store_ftp(std::string_view name, const std::string& value) {
        Registry ftp_store;
        ASSERT_TRUE(ftp_store.open_key(settings::ftp_key, true));
        ftp_store.write_string(name, value);
    }

    // The values of a key as the hive file holds them, in the order they were first stored.
    static Values values_of(std::string_view key_path) {
        const auto tree = hive::parse(file_bytes(hive_path()));
        if (!tree) return {};
        const hive::Key* key = hive::find_key(*tree, *hive::split_path(key_path));
        if (key == nullptr) return {};
        Values values;
        for (const hive::Value& value : key->values) {
            values.emplace_back(value.name, value.data.substr(0, value.data.find('\0')));
        }
        return values;
    }

    // What the fixture recorded for its skin, before anything the dialog writes.
    static Values skin_values() {
        return {{"installdir", install_dir().string()}, {"style", "design"}};
    }
    static Values skin_values_and(const Values& more) {
        Values values = skin_values();
        values.insert(values.end(), more.begin(), more.end());
        return values;
    }

    // The names in the skin list, sorted, since the file system returns them in its own order.
    static QStringList listed_styles() {
        QStringList listed;
        for (int index = 0; index < combo().count(); ++index) listed << combo().itemText(index);
        listed.sort();
        return listed;
    }

    static void put_skin(const std::string& name, const std::string& styleconfig) {
        put_file(install_dir() / "styles" / name / "styleconfig.ini", styleconfig);
    }

    static std::vector<std::string> description() {
        std::vector<std::string> texts;
        for (const char* name : {"label_style_name", "label_style_version", "label_style_madewith",
                                 "label_style_from", "label_style_contact", "label_style_date"}) {
            texts.push_back(label(name).text().toStdString());
        }
        return texts;
    }

    static const inline std::vector<std::string> no_description{"", "", "", "", "", ""};

    // Answers the open-file dialog with `chosen` (nothing for a cancel) and keeps what was asked.
    void answer_open_dialog(std::optional<std::string> chosen) {
        ui::OpenDialog::set_answerer([this, chosen](const ui::OpenDialog& dialog) {
            asked_filter = {dialog.filter_description(), dialog.filter_pattern()};
            return chosen;
        });
    }

    std::optional<std::pair<std::string, std::string>> asked_filter;
};

const std::string night_sky =
    "[Font_Settings]\nfamily=Tahoma\n"
    "[MadeBy]\r\n"
    "StyleName = Night Sky \r\n"
    "version=\"1.2\"\r\n"
    "madewith=Paint\r\n"
    "from=Ola\r\n"
    "contact=ola@example.org\r\n"
    "date=2004-05-06\r\n";
const std::vector<std::string> night_sky_description{"Night Sky",       "1.2",       "Paint", "Ola",
                                                     "ola@example.org", "2004-05-06"};

TEST_F(SetupDialogTest, DialogHasItsDesignedShapeAndComponents) {
    create_dialog();
    EXPECT_EQ(form_setup->windowTitle(), "KVT:U Vavaver Setup");
    EXPECT_EQ(form_setup->size(), QSize(304, 208));
    EXPECT_EQ(form_setup->minimumSize(), form_setup->maximumSize());
    EXPECT_FALSE(form_setup->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(form_setup->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(form_setup->font().family(), "MS Sans Serif");
    EXPECT_EQ(form_setup->font().pointSize(), 8);
    EXPECT_FALSE(form_setup->isVisible());

    auto& pages = child<QTabWidget>("tab_1");
    EXPECT_EQ(pages.geometry(), QRect(0, 0, 304, 208));
    ASSERT_EQ(pages.count(), 3);
    const std::pair<const char*, const char*> designed_pages[] = {
        {"tab_options", "Options"}, {"tab_style", "Styles"}, {"tab_serveroptions", "Serversetup"}};
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(pages.widget(index)->objectName(), designed_pages[index].first);
        EXPECT_EQ(pages.tabText(index), designed_pages[index].second);
    }
    EXPECT_EQ(pages.currentIndex(), 0);

    struct Button {
        const char* page;
        const char* name;
        const char* caption;
        QRect bounds;
    };
    for (const Button& expected : {
             Button{"tab_options", "button_select_korvexe", "&Select", {240, 30, 56, 17}},
             Button{"tab_options", "button_options_ok", "&OK", {194, 163, 39, 17}},
             Button{"tab_options", "button_options_apply", "&Apply", {240, 163, 56, 17}},
             Button{"tab_style", "button_style_ok", "&OK", {194, 163, 39, 17}},
             Button{"tab_style", "button_style_apply", "&Apply", {240, 163, 56, 17}},
             Button{"tab_serveroptions", "button_serversetup_ok", "&OK", {194, 163, 39, 17}},
             Button{"tab_serveroptions", "button_serversetup_apply", "&Apply", {240, 163, 56, 17}},
             Button{"tab_serveroptions", "Button2", "Proxyserver", {220, 139, 75, 17}},
         }) {
        auto& button = child<QPushButton>(expected.name);
        EXPECT_EQ(button.parentWidget()->objectName(), expected.page) << expected.name;
        EXPECT_EQ(button.text(), expected.caption) << expected.name;
        EXPECT_EQ(button.geometry(), expected.bounds) << expected.name;
    }

    struct Caption {
        const char* name;
        const char* text;
        QPoint position;
        bool bold;
    };
    for (const Caption& expected : {
             Caption{"label_korvanth", "Korvanth EXE:", {8, 16}, false},
             Caption{"label_style", "Select Style:", {8, 20}, false},
             Caption{"label_stylename", "Stylename:", {8, 49}, true},
             Caption{"label_styleversion", "Version:", {8, 65}, true},
             Caption{"label_stylemadewith", "Made with:", {8, 81}, true},
             Caption{"label_stylefrom", "From:", {8, 97}, true},
             Caption{"label_stylecontact", "Contact:", {8, 113}, true},
             Caption{"label_styledate", "Date:", {8, 129}, true},
             Caption{"label_ftp_host", "FTP - Host", {16, 12}, false},
             Caption{"label_ftp_port", "FTP - Port:", {16, 36}, false},
             Caption{"label_ftp_base", "FTP - Directory:", {16, 60}, false},
             Caption{"label_ftp_user", "FTP - Username:", {16, 84}, false},
             Caption{"label_ftp_pass", "FTP - Password:", {16, 108}, false},
         }) {
        QLabel& caption = label(expected.name);
        EXPECT_EQ(caption.text(), expected.text) << expected.name;
        EXPECT_EQ(caption.pos(), expected.position) << expected.name;
        EXPECT_EQ(caption.font().bold(), expected.bold) << expected.name;
    }
    EXPECT_EQ(label("label_korvexe").pos(), QPoint(11, 32));
    int top = 49;
    for (const char* name : {"label_style_name", "label_style_version", "label_style_madewith",
                             "label_style_from", "label_style_contact", "label_style_date"}) {
        EXPECT_EQ(label(name).pos(), QPoint(136, top)) << name;
        top += 16;
    }
    EXPECT_EQ(combo().geometry().topLeft(), QPoint(144, 16));
    EXPECT_EQ(combo().width(), 145);
    EXPECT_TRUE(combo().isEditable());
    top = 8;
    for (const char* name : {"server_ftp_host", "server_ftp_port", "server_ftp_base",
                             "server_ftp_user", "server_ftp_pass"}) {
        EXPECT_EQ(field(name).geometry(), QRect(144, top, 150, 21)) << name;
        top += 24;
    }
    EXPECT_EQ(field("server_ftp_pass").echoMode(), QLineEdit::Password);
    EXPECT_EQ(
        field("server_ftp_pass")
            .style()
            ->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, &field("server_ftp_pass")),
        '*');
    EXPECT_EQ(box("checkbox_autostart").text(), "Run on Windows Startup");
    EXPECT_EQ(box("checkbox_minimized").text(), "Start minimized");
    EXPECT_EQ(box("server_ftp_psvc").text(), "Passive Connection");
    EXPECT_EQ(form_setup->exe_dir.filter_description(), "KorvanthUprising.exe");
    EXPECT_EQ(form_setup->exe_dir.filter_pattern(), "KORVANTHUPRISING.EXE");

    const std::string hive_before = file_bytes(hive_path());
    show_window(*form_setup);
    press("Button2");
    EXPECT_EQ(file_bytes(hive_path()), hive_before);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, FirstStartWithEmptyStoreListsTheSkinFoldersAndLeavesEverythingEmpty) {
    // Only the install folder is known; the fixture's skin folder stays, but no skin is chosen.
    forget(settings::style);
    put_skin("classic", night_sky);
    std::filesystem::create_directories(install_dir() / "styles" / ".hidden");
    put_file(install_dir() / "styles" / "notes.txt", "no skin");
    std::filesystem::create_symlink(install_dir() / "styles" / "classic",
                                    install_dir() / "styles" / "linked");
    create_dialog();

    EXPECT_EQ(label("label_korvexe").text(), "");
    EXPECT_EQ(listed_styles(), QStringList({".hidden", "classic", "design", "linked"}));
    EXPECT_EQ(combo().currentText(), "");
    EXPECT_EQ(combo().currentIndex(), -1);
    EXPECT_EQ(description(), no_description);
    for (const char* name : {"server_ftp_host", "server_ftp_port", "server_ftp_base",
                             "server_ftp_user", "server_ftp_pass"}) {
        EXPECT_EQ(field(name).text(), "") << name;
    }
    for (const char* name : {"checkbox_autostart", "checkbox_minimized", "server_ftp_psvc"}) {
        EXPECT_FALSE(box(name).isChecked()) << name;
    }
    // Creation only reads: the FTP key comes into being, empty, and nothing is written.
    EXPECT_EQ(values_of(settings::launcher_key), (Values{{"installdir", install_dir().string()}}));
    EXPECT_TRUE(values_of(settings::ftp_key).empty());
    EXPECT_NE(file_bytes(hive_path()).find("KVTU Vavaver\\ftp_server]"), std::string::npos);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, MissingStylesFolderGivesAnEmptyList) {
    store(settings::installdir, (sandbox() / "nowhere").string());
    create_dialog();
    EXPECT_EQ(combo().count(), 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, CreationFillsEveryPageFromTheStore) {
    store(settings::korvexe, "/games/KorvanthUprising.exe");
    store(settings::style, "classic");
    store(settings::autostart, "yes");
    store(settings::start_minimized, "yes");
    store_ftp(settings::ftp_host, "ftp.example.org");
    store_ftp(settings::ftp_port, "2121");
    store_ftp(settings::ftp_user, "ola");
    store_ftp(settings::ftp_pass, "se cret");
    store_ftp(settings::ftp_base, "/srv/game");
    store_ftp(settings::ftp_psvc, "yes");
    put_skin("classic", night_sky);
    put_skin("other", "[madeby]\nstylename=Other\n");
    create_dialog();

    EXPECT_EQ(label("label_korvexe").text(), "/games/KorvanthUprising.exe");
    EXPECT_EQ(combo().currentText(), "classic");
    EXPECT_EQ(combo().currentIndex(), -1);
    EXPECT_EQ(listed_styles(), QStringList({"classic", "design", "other"}));
    EXPECT_EQ(description(), night_sky_description);
    EXPECT_EQ(field("server_ftp_host").text(), "ftp.example.org");
    EXPECT_EQ(field("server_ftp_port").text(), "2121");
    EXPECT_EQ(field("server_ftp_user").text(), "ola");
    EXPECT_EQ(field("server_ftp_pass").text(), "se cret");
    EXPECT_EQ(field("server_ftp_base").text(), "/srv/game");
    EXPECT_TRUE(box("server_ftp_psvc").isChecked());
    EXPECT_TRUE(box("checkbox_autostart").isChecked());
    EXPECT_TRUE(box("checkbox_minimized").isChecked());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, OnlyExactlyYesChecksABox) {
    store(settings::autostart, "Yes");
    store(settings::start_minimized, " yes");
    store_ftp(settings::ftp_psvc, "1");
    create_dialog();
    EXPECT_FALSE(box("checkbox_autostart").isChecked());
    EXPECT_FALSE(box("checkbox_minimized").isChecked());
    EXPECT_FALSE(box("server_ftp_psvc").isChecked());
}

TEST_F(SetupDialogTest, StoredStyleWithoutFolderIsShownWithAnEmptyDescription) {
    store(settings::style, "gone");
    put_skin("classic", night_sky);
    std::filesystem::create_directories(install_dir() / "styles" / "bare");
    open_dialog();
    EXPECT_EQ(combo().currentText(), "gone");
    EXPECT_EQ(description(), no_description);

    // A folder without a style file: no description either, and no message.
    fill(combo(), "bare");
    EXPECT_EQ(description(), no_description);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, TypingOrPickingASkinReadsItsDescriptionAtEveryChange) {
    // No stored skin, so the field starts empty and the typing below spells whole names.
    forget(settings::style);
    put_skin("classic", night_sky);
    put_skin("cl", "[madeby]\nstylename=Short\n");
    open_dialog();

    ASSERT_EQ(combo().currentText(), "");
    bring_forward(combo());
    click(combo());
    kvtu::test::type(*form_setup, "c");
    EXPECT_EQ(combo().currentText(), "c");
    EXPECT_EQ(description(), no_description);
    kvtu::test::type(*form_setup, "l");
    EXPECT_EQ(description()[0], "Short");
    kvtu::test::type(*form_setup, "as");
    EXPECT_EQ(combo().currentText(), "clas");
    EXPECT_EQ(description(), no_description);
    kvtu::test::type(*form_setup, "sic");
    EXPECT_EQ(description(), night_sky_description);

    // A pick from the list.
    fill(combo(), "");
    EXPECT_EQ(description(), no_description);
    const int classic = combo().findText("classic");
    ASSERT_GE(classic, 0);
    kvtu::test::pick(combo(), classic);
    EXPECT_EQ(combo().currentText(), "classic");
    EXPECT_EQ(description(), night_sky_description);

    // Picking the name the field already holds changes no text, and reads the file again.
    put_skin("classic", "[madeby]\nstylename=Repainted\n");
    kvtu::test::pick(combo(), classic);
    EXPECT_EQ(description()[0], "Repainted");
}

// What a skin or a path holds is shown as written, also when it looks like markup.
TEST_F(SetupDialogTest, DescriptionAndPathAreShownAsWrittenNotAsMarkup) {
    const std::string markup = "<b>Night</b> <img src=\"" + (install_dir() / "x.png").string() +
                               "\"><a href=\"x\">Sky</a>";
    put_skin("marked", "[madeby]\nstylename=" + markup + "\n");
    store(settings::style, "marked");
    store(settings::korvexe, "/g/<i>x</i>/k.exe");
    create_dialog();
    const auto as_written = [](QLabel& shown) {
        QLabel plain;
        plain.setFont(shown.font());
        plain.setTextFormat(Qt::PlainText);
        plain.setText(shown.text());
        plain.adjustSize();
        return plain.size();
    };
    QLabel& name = label("label_style_name");
    EXPECT_EQ(name.text().toStdString(), markup);
    EXPECT_EQ(name.size(), as_written(name));
    QLabel& path = label("label_korvexe");
    EXPECT_EQ(path.text(), "/g/<i>x</i>/k.exe");
    EXPECT_EQ(path.size(), as_written(path));
}

TEST_F(SetupDialogTest, SelectStoresTheChosenExecutableAtOnceAndShowsIt) {
    // Short enough to fit whole.
    const std::string chosen = "/games/KorvanthUprising.exe";
    answer_open_dialog(chosen);
    open_dialog();
    ASSERT_LE(
        label("label_korvexe").fontMetrics().horizontalAdvance(QString::fromStdString(chosen)),
        210);
    press("button_select_korvexe");
    ASSERT_TRUE(asked_filter);
    EXPECT_EQ(asked_filter->first, "KorvanthUprising.exe");
    EXPECT_EQ(asked_filter->second, "KORVANTHUPRISING.EXE");
    EXPECT_EQ(values_of(settings::launcher_key), skin_values_and({{"korvexe", chosen}}));
    EXPECT_EQ(label("label_korvexe").text().toStdString(), chosen);

    // A cancel stores nothing and leaves the label as it was.
    answer_open_dialog(std::nullopt);
    press("button_select_korvexe");
    EXPECT_EQ(values_of(settings::launcher_key), skin_values_and({{"korvexe", chosen}}));
    EXPECT_EQ(label("label_korvexe").text().toStdString(), chosen);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, LongPathLosesItsLeadingFoldersAndAtLastShowsOnlyTheFileName) {
    open_dialog();
    const QFontMetrics metrics = label("label_korvexe").fontMetrics();
    const auto fits = [&metrics](const std::string& text) {
        return metrics.horizontalAdvance(QString::fromStdString(text)) <= 210;
    };
    std::vector<std::string> folders;
    for (int number = 10; number < 40; ++number)
        folders.push_back("folder" + std::to_string(number));
    std::string path;
    for (const auto& folder : folders) path += "/" + folder;
    path += "/KorvanthUprising.exe";
    ASSERT_FALSE(fits(path));

    // The longest tail of folders that fits, behind "/.../".
    std::string expected;
    for (std::size_t first = 1; first < folders.size(); ++first) {
        std::string candidate = "/...";
        for (std::size_t index = first; index < folders.size(); ++index) {
            candidate += "/" + folders[index];
        }
        candidate += "/KorvanthUprising.exe";
        if (fits(candidate)) {
            expected = candidate;
            break;
        }
    }
    ASSERT_FALSE(expected.empty());
    answer_open_dialog(path);
    press("button_select_korvexe");
    EXPECT_EQ(label("label_korvexe").text().toStdString(), expected);
    EXPECT_EQ(values_of(settings::launcher_key), skin_values_and({{"korvexe", path}}));

    const std::string long_name = std::string(80, 'k') + ".exe";
    ASSERT_FALSE(fits(long_name));
    answer_open_dialog("/games/korvanth/" + long_name);
    press("button_select_korvexe");
    EXPECT_EQ(label("label_korvexe").text().toStdString(), long_name);
}

TEST_F(SetupDialogTest, OptionsApplyWritesTheAutostartEntryAndBothFlagsAndTheirReverse) {
    open_dialog();
    set_box("checkbox_autostart", true);
    set_box("checkbox_minimized", true);
    press("button_options_apply");
    const std::string program = install_dir().string() + "/kvt_vavaver";
    EXPECT_EQ(values_of(settings::run_key), (Values{{"KVT:U Vavaver", program}}));
    EXPECT_EQ(values_of(settings::launcher_key),
              skin_values_and({{"autostart", "yes"}, {"start_minimized", "yes"}}));
    const auto entry = autostart::current_entry();
    ASSERT_TRUE(entry);
    EXPECT_NE(entry->find(program), std::string::npos);
    EXPECT_TRUE(form_setup->isVisible());

    set_box("checkbox_autostart", false);
    set_box("checkbox_minimized", false);
    press("button_options_apply");
    EXPECT_TRUE(values_of(settings::run_key).empty());
    EXPECT_FALSE(autostart::current_entry());
    EXPECT_FALSE(std::filesystem::exists(autostart::entry_file()));
    EXPECT_EQ(values_of(settings::launcher_key),
              skin_values_and({{"autostart", "no"}, {"start_minimized", "no"}}));
    EXPECT_TRUE(form_setup->isVisible());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, OptionsApplyWithoutAnEntryOrInstallFolder) {
    forget(settings::installdir);
    open_dialog();
    press("button_options_apply");
    EXPECT_TRUE(values_of(settings::run_key).empty());
    EXPECT_FALSE(autostart::current_entry());
    EXPECT_EQ(values_of(settings::launcher_key),
              (Values{{"style", "design"}, {"autostart", "no"}, {"start_minimized", "no"}}));

    set_box("checkbox_autostart", true);
    press("button_options_apply");
    EXPECT_EQ(values_of(settings::run_key), (Values{{"KVT:U Vavaver", "/kvt_vavaver"}}));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, StylesApplyStoresTheFieldAsItIsAndAsksForARestart) {
    put_skin("classic", night_sky);
    open_dialog();
    EXPECT_EQ(combo().currentText(), "design");
    fill(combo(), "not listed");
    press("button_style_apply");
    EXPECT_EQ(values_of(settings::launcher_key),
              (Values{{"installdir", install_dir().string()}, {"style", "not listed"}}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::plain);
    EXPECT_EQ(boxes[0].title, "KVT:U Vavaver v1.0.6");
    EXPECT_EQ(boxes[0].text, "Please restart application to change style.");

    fill(combo(), "");
    press("button_style_apply");
    EXPECT_EQ(values_of(settings::launcher_key),
              (Values{{"installdir", install_dir().string()}, {"style", ""}}));
    EXPECT_EQ(boxes.size(), 2u);
}

TEST_F(SetupDialogTest, ServersetupApplyWritesTheSixValuesAsTypedAndInOrder) {
    open_dialog();
    fill(field("server_ftp_host"), " ftp.example.org ");
    fill(field("server_ftp_port"), "abc");
    fill(field("server_ftp_base"), "/srv/game");
    fill(field("server_ftp_user"), "ola");
    fill(field("server_ftp_pass"), "p\"w\\d");
    set_box("server_ftp_psvc", true);
    press("button_serversetup_apply");
    EXPECT_EQ(values_of(settings::ftp_key), (Values{{"ftp_host", " ftp.example.org "},
                                                    {"ftp_port", "abc"},
                                                    {"ftp_user", "ola"},
                                                    {"ftp_pass", "p\"w\\d"},
                                                    {"ftp_base", "/srv/game"},
                                                    {"ftp_psvc", "yes"}}));
    EXPECT_EQ(values_of(settings::launcher_key), skin_values());

    set_box("server_ftp_psvc", false);
    fill(field("server_ftp_host"), "");
    press("button_serversetup_apply");
    EXPECT_EQ(values_of(settings::ftp_key), (Values{{"ftp_host", ""},
                                                    {"ftp_port", "abc"},
                                                    {"ftp_user", "ola"},
                                                    {"ftp_pass", "p\"w\\d"},
                                                    {"ftp_base", "/srv/game"},
                                                    {"ftp_psvc", "no"}}));
    EXPECT_TRUE(boxes.empty());

    // The next start shows what was stored.
    destroy_windows();
    create_dialog();
    EXPECT_EQ(field("server_ftp_port").text(), "abc");
    EXPECT_EQ(field("server_ftp_pass").text(), "p\"w\\d");
    EXPECT_FALSE(box("server_ftp_psvc").isChecked());
}

TEST_F(SetupDialogTest, EachOkHidesTheDialogAndStoresNothing) {
    put_skin("classic", night_sky);
    create_dialog();
    const std::string hive_before = file_bytes(hive_path());
    auto& pages = child<QTabWidget>("tab_1");
    const std::pair<int, const char*> oks[] = {
        {0, "button_options_ok"}, {1, "button_style_ok"}, {2, "button_serversetup_ok"}};
    for (const auto& [page, ok] : oks) {
        SCOPED_TRACE(ok);
        show_window(*form_setup);
        set_box("checkbox_autostart", true);
        set_box("checkbox_minimized", true);
        set_box("server_ftp_psvc", true);
        fill(field("server_ftp_host"), "changed");
        fill(combo(), "classic");
        press(ok);
        EXPECT_FALSE(form_setup->isVisible());
        EXPECT_EQ(file_bytes(hive_path()), hive_before);
        // Shown again, the dialog keeps what was left in it and the page last shown.
        show_window(*form_setup);
        EXPECT_EQ(pages.currentIndex(), page);
        EXPECT_EQ(field("server_ftp_host").text(), "changed");
        kvtu::test::close_window(*form_setup);
    }
    // The close box only hides it too.
    show_window(*form_setup);
    kvtu::test::close_window(*form_setup);
    EXPECT_FALSE(form_setup->isVisible());
    EXPECT_EQ(file_bytes(hive_path()), hive_before);
    EXPECT_FALSE(autostart::current_entry());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SetupDialogTest, UnopenableStoreLeavesTheDesignStateAndOnlyOptionsApplyComplains) {
    // A regular file where the hive's folder should be, in place of the fixture's store: no key
    // opens, also for root.
    std::filesystem::remove_all(config_home() / "kvtu");
    put_file(config_home() / "kvtu", "not a folder");
    put_skin("classic", night_sky);
    open_dialog();
    EXPECT_EQ(label("label_korvexe").text(), "");
    EXPECT_EQ(combo().count(), 0);
    EXPECT_EQ(combo().currentText(), "");
    EXPECT_EQ(field("server_ftp_port").text(), "21");
    EXPECT_EQ(field("server_ftp_host").text(), "");
    EXPECT_FALSE(box("checkbox_autostart").isChecked());
    EXPECT_TRUE(boxes.empty());

    answer_open_dialog("/games/KorvanthUprising.exe");
    press("button_select_korvexe");
    EXPECT_EQ(label("label_korvexe").text(), "");

    fill(combo(), "classic");
    EXPECT_EQ(description(), no_description);
    press("button_serversetup_apply");
    // Nothing was stored, so there is no restart to ask for.
    press("button_style_apply");
    EXPECT_TRUE(boxes.empty());

    press("button_options_apply");
    set_box("checkbox_autostart", true);
    press("button_options_apply");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::error);
    EXPECT_EQ(boxes[0].text, "Failed to set data for 'autostart'");
    EXPECT_EQ(boxes[1].text, "Failed to set data for 'KVT:U Vavaver'");
    EXPECT_FALSE(autostart::current_entry());
    EXPECT_EQ(file_bytes(config_home() / "kvtu"), "not a folder");
}

TEST_F(SetupDialogTest, ValueOfAnotherKindEndsCreationWithItsMessage) {
    store(settings::korvexe, "/games/KorvanthUprising.exe");
    // The fixture's text value makes way for one of another kind.
    forget(settings::installdir);
    put_hive(file_bytes(hive_path()) + "\"installdir\"=dword:00000001\n");
    create_dialog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid data type for 'installdir'");
    // What came before the failed read stays done; what comes after is not done.
    EXPECT_EQ(label("label_korvexe").text(), "/games/KorvanthUprising.exe");
    EXPECT_EQ(field("server_ftp_port").text(), "21");
}

TEST_F(SetupDialogTest, MistypedFtpValueEndsCreationBeforeTheOptionBoxes) {
    store(settings::autostart, "yes");
    store_ftp(settings::ftp_host, "ftp.example.org");
    // The FTP key is the hive's last, so the value appended lands in it.
    put_hive(file_bytes(hive_path()) + "\"ftp_port\"=dword:00000015\n");
    ASSERT_EQ(values_of(settings::ftp_key).size(), 2u);
    create_dialog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid data type for 'ftp_port'");
    // The host was read before the port; the rest of the FTP page and the option boxes after.
    EXPECT_EQ(field("server_ftp_host").text(), "ftp.example.org");
    EXPECT_EQ(field("server_ftp_port").text(), "21");
    EXPECT_FALSE(box("checkbox_autostart").isChecked());
    EXPECT_EQ(combo().currentText(), "design");
}

// Names and texts in UTF-8 (the desktop's) and in Windows-1252 (older files) are shown by the
// text rule; what the user leaves as it was goes back byte for byte, what the user types is
// stored as UTF-8.
class SetupDialogTextTest : public SetupDialogTest {
  protected:
    static QString utf8(const char* text) { return QString::fromUtf8(text); }
};

TEST_F(SetupDialogTextTest, GamePathAndSkinsInUtf8AndWindows1252) {
    // "Grün" in UTF-8 with a UTF-8 description; "Alté" in Windows-1252 with a 1252 description.
    put_skin("Gr\xc3\xbcn", "[madeby]\nstylename=Gr\xc3\xbcne Wiese\nfrom=J\xc3\xb6rg\n");
    put_skin("Alt\xe9", "[madeby]\nstylename=Caf\xe9\nfrom=J\xf6rg \x80\n");
    store(settings::style, "Gr\xc3\xbcn");
    store(settings::korvexe, "/home/J\xc3\xb6rg/KorvanthUprising.exe");
    create_dialog();
    form_setup->show();

    EXPECT_EQ(label("label_korvexe").text(), utf8("/home/J\xc3\xb6rg/KorvanthUprising.exe"));
    EXPECT_EQ(listed_styles(), QStringList({utf8("Alt\xc3\xa9"), utf8("Gr\xc3\xbcn"), "design"}));
    EXPECT_EQ(combo().currentText(), utf8("Gr\xc3\xbcn"));
    EXPECT_EQ(label("label_style_name").text(), utf8("Gr\xc3\xbcne Wiese"));
    EXPECT_EQ(label("label_style_from").text(), utf8("J\xc3\xb6rg"));

    // Picked from the list with the arrow keys, the 1252 folder is stored as its own bytes.
    fill(combo(), "");
    for (int tries = 0; tries < combo().count() && combo().currentText() != utf8("Alt\xc3\xa9");
         ++tries) {
        kvtu::test::key(*form_setup, Qt::Key_Down);
    }
    ASSERT_EQ(combo().currentText(), utf8("Alt\xc3\xa9"));
    EXPECT_EQ(label("label_style_name").text(), utf8("Caf\xc3\xa9"));
    EXPECT_EQ(label("label_style_from").text(), utf8("J\xc3\xb6rg \xe2\x82\xac"));
    press("button_style_apply");
    EXPECT_EQ(values_of(settings::launcher_key),
              (Values{{"installdir", install_dir().string()},
                      {"style", "Alt\xe9"},
                      {"korvexe", "/home/J\xc3\xb6rg/KorvanthUprising.exe"}}));

    // Typed, each name finds its folder, whatever bytes the folder's name has.
    const std::pair<QString, std::string> typed[] = {
        {utf8("Gr\xc3\xbcn"), "Gr\xc3\xbcn"},
        {utf8("Alt\xc3\xa9"), "Alt\xe9"},
        {utf8("Neu \xe2\x82\xac"), "Neu \xe2\x82\xac"}};
    for (const auto& [name, stored] : typed) {
        fill(combo(), name);
        EXPECT_EQ(label("label_style_name").text().isEmpty(), stored.starts_with("Neu"));
        press("button_style_apply");
        EXPECT_EQ(values_of(settings::launcher_key)[1],
                  (std::pair<std::string, std::string>{"style", stored}));
    }
    EXPECT_EQ(boxes.size(), 4u);

    // A path in Windows-1252, and one too long for the label: shortened as shown.
    answer_open_dialog("/home/J\xf6rg/KorvanthUprising.exe");
    press("button_select_korvexe");
    EXPECT_EQ(label("label_korvexe").text(), utf8("/home/J\xc3\xb6rg/KorvanthUprising.exe"));
    std::string long_path = "/home/J\xc3\xb6rg";
    for (int folder = 0; folder < 20; ++folder) long_path += "/Sp\xc3\xa4ter";
    long_path += "/KorvanthUprising.exe";
    answer_open_dialog(long_path);
    press("button_select_korvexe");
    const QString shown = label("label_korvexe").text();
    EXPECT_TRUE(shown.startsWith("/.../")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(utf8("/Sp\xc3\xa4ter/KorvanthUprising.exe"))) << shown.toStdString();
    EXPECT_LE(label("label_korvexe").fontMetrics().horizontalAdvance(shown), 210);
    EXPECT_EQ(values_of(settings::launcher_key)[2],
              (std::pair<std::string, std::string>{"korvexe", long_path}));
}

TEST_F(SetupDialogTextTest, FtpFieldsKeepStoredBytesUntilChangedAndStoreTypedTextAsUtf8) {
    // Stored by an older version in Windows-1252, and in UTF-8.
    store_ftp(settings::ftp_user, "J\xf6rg");
    store_ftp(settings::ftp_pass, "p\xe4");
    store_ftp(settings::ftp_host, "h\xc3\xb6st");
    create_dialog();
    form_setup->show();
    EXPECT_EQ(field("server_ftp_user").text(), utf8("J\xc3\xb6rg"));
    EXPECT_EQ(field("server_ftp_pass").text(), utf8("p\xc3\xa4"));
    EXPECT_EQ(field("server_ftp_host").text(), utf8("h\xc3\xb6st"));

    press("button_serversetup_apply");
    EXPECT_EQ(values_of(settings::ftp_key), (Values{{"ftp_user", "J\xf6rg"},
                                                    {"ftp_pass", "p\xe4"},
                                                    {"ftp_host", "h\xc3\xb6st"},
                                                    {"ftp_port", ""},
                                                    {"ftp_base", ""},
                                                    {"ftp_psvc", "no"}}));

    fill(field("server_ftp_pass"), utf8("p\xc3\xa4\xe2\x82\xac\xd1\x88"));  // pä€ш
    kvtu::test::click(field("server_ftp_user"));
    kvtu::test::key(*form_setup, Qt::Key_End);
    kvtu::test::type(*form_setup, "x");
    press("button_serversetup_apply");
    EXPECT_EQ(values_of(settings::ftp_key), (Values{{"ftp_user", "J\xc3\xb6rgx"},
                                                    {"ftp_pass", "p\xc3\xa4\xe2\x82\xac\xd1\x88"},
                                                    {"ftp_host", "h\xc3\xb6st"},
                                                    {"ftp_port", ""},
                                                    {"ftp_base", ""},
                                                    {"ftp_psvc", "no"}}));

    destroy_windows();
    create_dialog();
    EXPECT_EQ(field("server_ftp_pass").text(), utf8("p\xc3\xa4\xe2\x82\xac\xd1\x88"));
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
}  // namespace kvtu::launcher::test
