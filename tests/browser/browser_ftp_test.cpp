// The "Server Configuration" group against a real FTP server on loopback, with a stand-in for
// the outside configuration editor.
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "browser_fixture.h"
#include "ftp_scripted_server.h"
#include "ftp_server.h"
#include "standin_record.h"

namespace kvtu::browser::test {
namespace {

using kvtu::test::FtpServer;
using kvtu::test::ScriptedFtpServer;
using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

const std::string user = "admin";
const std::string password = "secret word";

class BrowserFtpTest : public BrowserTest {
  public:
    void SetUp() override {
        BrowserTest::SetUp();
        served = kvtu::test::sandbox() / "served";
        fs::create_directories(served / "cfg");
        for (const char* name :
             {"server.cfg", "Server.CFG", "old.cfg.bak", "basic.cfg", "readme.txt"}) {
            std::ofstream(served / "cfg" / name) << "contents of " << name << "\n";
        }
        fs::create_directories(kvtu::test::install_dir() / "tmp");
        server.start(user, password, served);
        store_ftp(settings::ftp_host, "127.0.0.1");
        store_ftp(settings::ftp_port, std::to_string(server.port()));
        store_ftp(settings::ftp_user, user);
        store_ftp(settings::ftp_pass, password);
        store_ftp(settings::ftp_base, "cfg");
        store_ftp(settings::ftp_psvc, "yes");
        write_list("");
    }

    static void store_ftp(std::string_view name, const std::string& value) {
        Registry ftp_settings;
        ASSERT_TRUE(ftp_settings.open_key(settings::ftp_key, true));
        ftp_settings.write_string(name, value);
    }

    std::vector<std::string> commands() const {
        std::vector<std::string> lines = server.received_commands();
        lines.erase(std::remove(lines.begin(), lines.end(), "<closed>"), lines.end());
        return lines;
    }

    static bool connected_state() {
        return control<QPushButton>("ftp_disconnect").isVisible() &&
               !control<QPushButton>("ftp_connect").isVisible() &&
               control<QPushButton>("server_missionbrowser").isEnabled() &&
               control<QPushButton>("server_selectconfig").isEnabled() &&
               control<QListWidget>("filelist").isEnabled() &&
               control<QComboBox>("combo_configs").isEnabled();
    }
    static bool start_state() {
        return !control<QPushButton>("ftp_disconnect").isVisible() &&
               control<QPushButton>("ftp_connect").isVisible() &&
               !control<QPushButton>("server_missionbrowser").isEnabled() &&
               !control<QPushButton>("server_selectconfig").isEnabled() &&
               !control<QListWidget>("filelist").isEnabled() &&
               !control<QComboBox>("combo_configs").isEnabled() &&
               control<QListWidget>("filelist").count() == 0 &&
               control<QComboBox>("combo_configs").count() == 0 &&
               control<QComboBox>("combo_configs").currentText().isEmpty() &&
               label("ftp_status").empty();
    }

    static std::vector<std::string> files() {
        std::vector<std::string> names;
        QListWidget& list = control<QListWidget>("filelist");
        for (int i = 0; i < list.count(); ++i) names.push_back(list.item(i)->text().toStdString());
        return names;
    }
    static std::vector<std::string> configs() {
        std::vector<std::string> names;
        QComboBox& box = control<QComboBox>("combo_configs");
        for (int i = 0; i < box.count(); ++i) names.push_back(box.itemText(i).toStdString());
        return names;
    }

    // Clicks into the box and types the name over its text, keys going to the window.
    static void choose_config(const std::string& name) {
        kvtu::test::type_into(control<QComboBox>("combo_configs"),
                              QString::fromLatin1(name.c_str()));
    }

    fs::path served;
    FtpServer server;
};

TEST_F(BrowserFtpTest, ConnectLogsInListsTheFolderAndShowsTheStoredTexts) {
    store_ftp(settings::ftp_port, " " + std::to_string(server.port()));
    start();
    click("ftp_connect");
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(connected_state());
    EXPECT_TRUE(main_form->ftp_con.connected());
    EXPECT_EQ(label("ftp_status"),
              "Connected to 127.0.0.1: " + std::to_string(server.port()) + " @ cfg");
    EXPECT_THAT(configs(), ElementsAre("basic.cfg", "server.cfg"));
    // Filling the box chooses none of its names: the user does.
    EXPECT_EQ(control<QComboBox>("combo_configs").currentText(), "");
    EXPECT_THAT(files(), ElementsAre("old.cfg.bak", "readme.txt", "Server.CFG"));
    const std::vector<std::string> sent = commands();
    EXPECT_THAT(sent, Contains("USER admin"));
    EXPECT_THAT(sent, Contains("CWD cfg"));
    EXPECT_THAT(sent, Contains("PASV"));
    EXPECT_THAT(sent, Contains("LIST *.*"));
    EXPECT_THAT(sent, Not(Contains("QUIT")));
}

// The status line shows its whole text, also a long one: a base folder in folders, with blanks.
TEST_F(BrowserFtpTest, StatusTextIsReadableWhole) {
    const std::string base = "kvtu game server/configuration files of the server";
    fs::create_directories(served / base);
    store_ftp(settings::ftp_base, base);
    start();
    click("ftp_connect");
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    const QLabel& status = control<QLabel>("ftp_status");
    EXPECT_EQ(status.text().toStdString(),
              "Connected to 127.0.0.1:" + std::to_string(server.port()) + " @ " + base);
    EXPECT_LE(status.minimumSizeHint().width(), status.width());
    EXPECT_LE(status.heightForWidth(status.width()), status.height());
    EXPECT_TRUE(status.parentWidget()->rect().contains(status.geometry()));
    for (const char* below : {"filelist", "combo_configs", "server_selectconfig"}) {
        EXPECT_FALSE(status.geometry().intersects(control<QWidget>(below).geometry())) << below;
    }
}

TEST_F(BrowserFtpTest, DisconnectReturnsToTheStartStateWithoutQuit) {
    store_ftp(settings::ftp_psvc, "Yes");
    start();
    click("ftp_connect");
    ASSERT_TRUE(connected_state());
    // "Yes" is not "yes": active mode.
    EXPECT_THAT(commands(), Not(Contains("PASV")));
    choose_config("server.cfg");
    click("ftp_disconnect");
    EXPECT_TRUE(start_state());
    EXPECT_FALSE(main_form->ftp_con.connected());
    EXPECT_TRUE(server.wait_for_closed_connections(1));
    EXPECT_THAT(commands(), Not(Contains("QUIT")));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserFtpTest, PortsThatAreNoIntegersStopTheConnectBeforeAnyConnection) {
    store_ftp(settings::ftp_port, "");
    start();
    click("ftp_connect");
    store_ftp(settings::ftp_port, std::to_string(server.port()));
    store_ftp(settings::ftp_proxy_activate, "yes");
    store_ftp(settings::ftp_proxy_port, "21a");
    click("ftp_connect");
    EXPECT_THAT(error_texts(), ElementsAre("'' is not a valid integer value.",
                                           "'21a' is not a valid integer value."));
    EXPECT_TRUE(start_state());
    EXPECT_TRUE(server.received_commands().empty());
}

TEST_F(BrowserFtpTest, ProxySettingsLogInToTheProxyThenAsUserAtTheStoredHost) {
    server.stop();
    server.start(user, password, served, {{user + "@ftp.example.test", password}, {"gate", "pw"}});
    store_ftp(settings::ftp_host, "ftp.example.test");
    store_ftp(settings::ftp_port, "21");
    store_ftp(settings::ftp_proxy_activate, "yes");
    store_ftp(settings::ftp_proxy_host, "127.0.0.1");
    store_ftp(settings::ftp_proxy_port, "$" + QString::number(server.port(), 16).toStdString());
    store_ftp(settings::ftp_proxy_user, "gate");
    store_ftp(settings::ftp_proxy_pass, "pw");
    start();
    click("ftp_connect");
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(connected_state());
    EXPECT_EQ(label("ftp_status"), "Connected to ftp.example.test:21 @ cfg");
    EXPECT_THAT(commands(),
                ElementsAre("USER gate", "PASS pw", "USER admin@ftp.example.test",
                            "PASS secret word", "TYPE I", "SYST", "CWD cfg", "PASV", "LIST *.*"));
}

TEST_F(BrowserFtpTest, AFailedChangeOfFolderLeavesNoConnectionBehindTheStartState) {
    store_ftp(settings::ftp_base, "missing");
    start();
    click("ftp_connect");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(start_state());
    EXPECT_FALSE(main_form->ftp_con.connected());
    EXPECT_TRUE(server.wait_for_closed_connections(1));

    // The next connect works at once instead of failing with "Already connected.".
    store_ftp(settings::ftp_base, "cfg");
    boxes.clear();
    click("ftp_connect");
    EXPECT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(connected_state());
}

TEST_F(BrowserFtpTest, EditConfigFetchesIntoTmpAndStartsTheEditorOnIt) {
    const fs::path record = kvtu::test::sandbox() / "editor.record";
    kvtu::test::place_standin(kvtu::test::install_dir() / "kvtu_cfg_editor");
    kvtu::test::record_standin_to(record);
    const fs::path copy = kvtu::test::install_dir() / "tmp" / "server.cfg";
    std::ofstream(copy) << "an older copy, longer than the server's file\n";
    start();
    click("ftp_connect");
    choose_config("server.cfg");
    click("server_selectconfig");
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    const auto started = kvtu::test::await_standin_record(record);
    ASSERT_TRUE(started.has_value());
    std::ifstream fetched(copy);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(fetched), {}), "contents of server.cfg\n");
    const std::string install = fs::canonical(kvtu::test::install_dir()).string();
    EXPECT_THAT(
        started->arguments,
        ElementsAre(kvtu::test::install_dir().string() + "/kvtu_cfg_editor", "tmp/server.cfg"));
    EXPECT_EQ(started->working_folder, install);
    EXPECT_THAT(commands(), Contains("RETR server.cfg"));
}

TEST_F(BrowserFtpTest, FailedFetchesStartNoEditor) {
    const fs::path record = kvtu::test::sandbox() / "editor.record";
    kvtu::test::place_standin(kvtu::test::install_dir() / "kvtu_cfg_editor");
    kvtu::test::record_standin_to(record);
    std::ofstream(served / "evil.cfg") << "outside the base folder\n";
    const fs::path tmp = kvtu::test::install_dir() / "tmp";
    std::ofstream(tmp / "kept.cfg") << "an earlier fetch\n";
    start();
    click("ftp_connect");
    for (const std::string name : {"", "../evil.cfg", "missing.cfg"}) {
        choose_config(name);
        click("server_selectconfig");
    }
    const std::string cut_name("kept.cfg\0x", 10);
    control<QComboBox>("combo_configs").setEditText(QString::fromLatin1(cut_name.data(), 10));
    click("server_selectconfig");
    EXPECT_TRUE(fs::exists(tmp / "kept.cfg"));
    fs::remove_all(tmp);
    choose_config("basic.cfg");
    click("server_selectconfig");
    const auto texts = error_texts();
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[0], "Cannot create file \"" + (tmp / "").string() + "\". Is a directory.");
    EXPECT_EQ(texts[1],
              "Cannot create file \"" + (tmp / "../evil.cfg").string() + "\". Invalid argument.");
    // The message box text ends at the NUL byte.
    EXPECT_THAT(texts[3],
                ::testing::StartsWith("Cannot create file \"" + (tmp / "kept.cfg").string()));
    EXPECT_THAT(texts[4], ::testing::StartsWith("Cannot create file \"" +
                                                (tmp / "basic.cfg").string() + "\"."));
    EXPECT_FALSE(fs::exists(kvtu::test::install_dir() / "evil.cfg"));
    EXPECT_FALSE(fs::exists(tmp));
    // The editor would have been started at once; nothing has been by the end of the handlers.
    EXPECT_FALSE(fs::exists(record));
}

TEST_F(BrowserFtpTest, ClosingTheWindowClosesTheConnectionWithoutQuitAndSavesTheList) {
    start();
    click("ftp_connect");
    ASSERT_TRUE(main_form->ftp_con.connected());
    type_and_enter("a:1");
    EXPECT_TRUE(close_window());
    EXPECT_FALSE(main_form->ftp_con.connected());
    EXPECT_TRUE(server.wait_for_closed_connections(1));
    EXPECT_THAT(commands(), Not(Contains("QUIT")));
    EXPECT_EQ(read_list(), "a:1\r\n");
}

TEST_F(BrowserFtpTest, ReachedLimitsShowTheirErrorAndLeaveTheWindowUsable) {
    const fs::path record = kvtu::test::sandbox() / "editor.record";
    kvtu::test::place_standin(kvtu::test::install_dir() / "kvtu_cfg_editor");
    kvtu::test::record_standin_to(record);
    ScriptedFtpServer scripted;
    const auto serve = [&](const std::string& scenario) {
        scripted.stop();
        scripted.start(scenario);
        store_ftp(settings::ftp_port, std::to_string(scripted.port()));
    };
    // Each step shortens only the limit it is about, so that no other can be reached first.
    const auto limit = [](auto member, auto value) {
        net::FtpLimits limits;
        limits.*member = value;
        main_form->ftp_con.set_limits(limits);
    };
    start();

    // No greeting, only "wait a moment" without end: the connect fails, the group stays.
    serve("slow-120");
    limit(&net::FtpLimits::greeting_time, 300ms);
    click("ftp_connect");
    EXPECT_TRUE(start_state());

    // Logged in, and the listing stalls: the group has changed, the connection is gone.
    serve("stalled");
    limit(&net::FtpLimits::transfer_idle_time, 300ms);
    click("ftp_connect");
    EXPECT_TRUE(connected_state());
    EXPECT_TRUE(files().empty() && configs().empty());
    EXPECT_FALSE(main_form->ftp_con.connected());
    click("ftp_disconnect");
    EXPECT_TRUE(start_state());

    // A file without end: no part of it stays, and no editor starts on it.
    serve("normal");
    limit(&net::FtpLimits::download_size, std::uint64_t{100000});
    click("ftp_connect");
    EXPECT_THAT(configs(), ElementsAre("server.cfg"));
    choose_config("endless");
    click("server_selectconfig");
    EXPECT_FALSE(fs::exists(kvtu::test::install_dir() / "tmp" / "endless"));
    EXPECT_FALSE(main_form->ftp_con.connected());

    EXPECT_THAT(error_texts(),
                ElementsAre("No greeting from the FTP server within 300 ms.",
                            "The FTP transfer received nothing for 300 ms.",
                            "The file is larger than 100000 bytes, more than a configuration "
                            "file can be."));
    EXPECT_TRUE(scripted.wait_for_closed_connections(1));

    // The window goes on as before.
    boxes.clear();
    main_form->ftp_con.set_limits({});
    store_ftp(settings::ftp_port, std::to_string(server.port()));
    click("ftp_disconnect");
    click("ftp_connect");
    choose_config("server.cfg");
    click("server_selectconfig");
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(connected_state());
    EXPECT_THAT(configs(), ElementsAre("basic.cfg", "server.cfg"));
    const auto started = kvtu::test::await_standin_record(record);
    ASSERT_TRUE(started.has_value());
    EXPECT_THAT(started->arguments, ElementsAre(::testing::_, "tmp/server.cfg"));
}

TEST_F(BrowserFtpTest, EditConfigWithoutAnInstallFolderRefusesAndTouchesNoSharedFolder) {
    // A name of this run alone, so that nothing of anyone else's in /tmp is looked at.
    const std::string name = "kvtu-test-" + std::to_string(getpid()) + ".cfg";
    std::ofstream(served / "cfg" / name) << "a configuration\n";
    store(settings::installdir, "");
    start();
    boxes.clear();  // the server list is not found without the folder either
    click("ftp_connect");
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    choose_config(name);
    click("server_selectconfig");
    EXPECT_THAT(error_texts(), ElementsAre("No install folder is set: installdir is empty."));
    EXPECT_FALSE(fs::exists(fs::path("/tmp") / name));
    std::error_code ignored;
    fs::remove(fs::path("/tmp") / name, ignored);  // what a regression would leave there
    EXPECT_THAT(commands(), Not(Contains("RETR " + name)));
    EXPECT_TRUE(main_form->ftp_con.connected());
    // The list is saved into the sandbox when the window closes.
    store(settings::installdir, kvtu::test::install_dir().string());
}

}  // namespace
}  // namespace kvtu::browser::test
