// The browser's window, its server list file and the in-memory list.
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "browser_fixture.h"
#include "fake_game_server.h"

namespace kvtu::browser::test {
namespace {

using ::testing::ElementsAre;

TEST_F(BrowserTest, WindowHasItsDesignedComponentsAndFtpStartState) {
    write_list("");
    start();
    EXPECT_EQ(main_form->windowTitle(), "KVT:U Server Browser");
    EXPECT_EQ(main_form->size(), QSize(800, 561));
    EXPECT_EQ(main_form->objectName(), "Tmain_form");

    QTreeWidget& list = serverlist();
    const char* headings[] = {"Adress / Port", "Hostname", "Players", "Mission", "Status", "Type"};
    const int widths[] = {150, 279, 48, 118, 118, 75};
    ASSERT_EQ(list.columnCount(), 6);
    for (int column = 0; column < 6; ++column) {
        EXPECT_EQ(list.headerItem()->text(column), headings[column]);
        EXPECT_EQ(list.columnWidth(column), widths[column]);
    }
    EXPECT_EQ(list.width(), 800);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);

    EXPECT_EQ(control<QPushButton>("Button1").text(), "Refresh All");
    EXPECT_EQ(label("label_ipport"), "IP:Port");
    EXPECT_TRUE(server_ipport().isEditable());
    EXPECT_EQ(server_ipport().currentText(), "");
    EXPECT_EQ(control<QGroupBox>("serverdetails").title(), " Serverdetails ");
    EXPECT_EQ(control<QGroupBox>("serverconfig").title(), "Server Configuration");
    EXPECT_EQ(control<QGroupBox>("playerlist").title(), "Players");
    EXPECT_EQ(control<QGroupBox>("debugging").title(),
              "Debugging - u r a Beta Tester ;) Hurry up ");
    const std::pair<const char*, const char*> details[] = {
        {"label_server_hostname", "Hostname:"},     {"label_server_version", "Version:"},
        {"label_server_onoffline", "Server type:"}, {"label_server_status", "Status:"},
        {"label_server_mission", "Mission:"},       {"label_server_world", "World:"},
        {"label_server_players", "Players: "},      {"label_server_latency", "Ping:"}};
    for (const auto& [name, caption] : details) EXPECT_EQ(label(name), caption);
    for (const char* value :
         {"server_hostname", "server_version", "server_type", "server_status", "server_mission",
          "server_world", "server_player", "server_latency"}) {
        EXPECT_EQ(label(value), "") << value;
    }
    const QList<QAction*> menu = control<QMenuBar>("mainmenu_menubar").actions();
    ASSERT_EQ(menu.size(), 1);
    EXPECT_EQ(menu[0]->text(), "&Datei");

    // Server Configuration: not connected.
    EXPECT_TRUE(control<QPushButton>("ftp_connect").isVisible());
    EXPECT_FALSE(control<QPushButton>("ftp_disconnect").isVisible());
    EXPECT_EQ(control<QPushButton>("ftp_disconnect").geometry(),
              control<QPushButton>("ftp_connect").geometry());
    EXPECT_FALSE(control<QPushButton>("server_missionbrowser").isEnabled());
    EXPECT_FALSE(control<QPushButton>("server_selectconfig").isEnabled());
    EXPECT_FALSE(control<QListWidget>("filelist").isEnabled());
    EXPECT_FALSE(control<QComboBox>("combo_configs").isEnabled());
    EXPECT_EQ(label("ftp_status"), "");

    QPlainTextEdit& memo = debug_memo();
    EXPECT_FALSE(memo.isReadOnly());
    EXPECT_EQ(memo.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    ASSERT_EQ(main_form->customimagelist.size(), 17);
    for (const QPixmap& picture : main_form->customimagelist) {
        EXPECT_EQ(picture.size(), QSize(16, 16));
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, ListLoadsIntoMemoDropDownAndRowsSortedByCaption) {
    write_list("b:2\r\nZeta:2303\nalpha:2303\rb:2\r\n\r\nHost:1\r\nhost:1");
    start();
    EXPECT_EQ(main_form->memo_lines(),
              (TStringDynArray{"b:2", "Zeta:2303", "alpha:2303", "b:2", "", "Host:1", "host:1"}));
    EXPECT_THAT(drop_down(),
                ElementsAre("b:2", "Zeta:2303", "alpha:2303", "b:2", "", "Host:1", "host:1"));
    EXPECT_THAT(captions(),
                ElementsAre("", "alpha:2303", "b:2", "b:2", "host:1", "Host:1", "Zeta:2303"));
    for (int i = 0; i < serverlist().topLevelItemCount(); ++i) {
        const QTreeWidgetItem& item = *serverlist().topLevelItem(i);
        EXPECT_EQ(image_of(item), 0);
        EXPECT_THAT(columns_of(item), ElementsAre("", "", "", "", ""));
    }
    EXPECT_TRUE(serverlist().selectedItems().isEmpty());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, EmptyListOrOneLineBreakGivesNoEntries) {
    for (const std::string file : {"", "\r\n"}) {
        write_list(file);
        start();
        EXPECT_TRUE(main_form->memo_lines().empty());
        EXPECT_EQ(server_ipport().count(), 0);
        EXPECT_EQ(serverlist().topLevelItemCount(), 0);
        destroy_window();
    }
}

TEST_F(BrowserTest, CloseSavesTheMemoWithCarriageReturnLineFeeds) {
    write_list("a:1\nb:2\n");
    start();
    EXPECT_TRUE(close_window());
    EXPECT_EQ(read_list(), "a:1\r\nb:2\r\n");
    EXPECT_TRUE(ui::Application::instance().terminated());
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, EditsInTheMemoAreWhatTheCloseSaves) {
    write_list("a:1\r\nb:2\r\n");
    start();
    // What the user types is saved as UTF-8, a no-break space included, nothing replaced.
    kvtu::test::type_into(debug_memo(), QString::fromUtf8("b:2\nh\xc3\xb4te\xc2\xa0:3"));
    EXPECT_TRUE(close_window());
    EXPECT_EQ(read_list(), "b:2\r\nh\xc3\xb4te\xc2\xa0:3");
}

TEST_F(BrowserTest, MissingListFolderShowsTheOpenErrorAndKeepsTheWindowUntilASaveWorks) {
    start();
    const std::string path = list_path().string();
    EXPECT_THAT(error_texts(),
                ElementsAre("Cannot open file \"" + path + "\". No such file or directory."));
    EXPECT_EQ(serverlist().topLevelItemCount(), 0);
    EXPECT_FALSE(control<QPushButton>("server_selectconfig").isEnabled());

    type_and_enter("a:1");
    boxes.clear();
    EXPECT_FALSE(close_window());
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_FALSE(ui::Application::instance().terminated());
    EXPECT_FALSE(close_window());
    EXPECT_THAT(error_texts(),
                ElementsAre("Cannot create file \"" + path + "\". No such file or directory.",
                            "Cannot create file \"" + path + "\". No such file or directory."));
    EXPECT_FALSE(fs::exists(list_path().parent_path()));

    fs::create_directories(list_path().parent_path());
    EXPECT_TRUE(close_window());
    EXPECT_EQ(read_list(), "a:1\r\n");
}

TEST_F(BrowserTest, AListThatCannotBeWrittenFullyKeepsTheWindowOpenWithItsList) {
    write_list("a:1\r\n");
    start();
    type_and_enter("b:2");
    fs::remove(list_path());
    fs::create_symlink("/dev/full", list_path());
    EXPECT_FALSE(close_window());
    EXPECT_THAT(error_texts(), ElementsAre("Cannot write file \"" + list_path().string() +
                                           "\". No space left on device."));
    EXPECT_TRUE(main_form->isVisible());
    EXPECT_EQ(main_form->memo_lines(), (TStringDynArray{"a:1", "b:2"}));

    fs::remove(list_path());
    EXPECT_TRUE(close_window());
    EXPECT_EQ(read_list(), "a:1\r\nb:2\r\n");
}

TEST_F(BrowserTest, AListThatIsThereButCannotBeReadIsNotReplacedAtClose) {
    // A FIFO stands for any list the start cannot read; while it has a reader, a save would
    // write into it.
    fs::create_directories(list_path().parent_path());
    ASSERT_EQ(mkfifo(list_path().c_str(), 0600), 0);
    start();
    EXPECT_THAT(error_texts(), ElementsAre("Cannot open file \"" + list_path().string() +
                                           "\". Invalid argument."));
    type_and_enter("a:1");
    const int reader = ::open(list_path().c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    boxes.clear();
    EXPECT_TRUE(close_window());
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(list_path()));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, AnUnreadableListIsSavedOnceRefreshAllHasReadTheFile) {
    fs::create_directories(list_path());
    start();
    EXPECT_THAT(error_texts(),
                ElementsAre("Cannot open file \"" + list_path().string() + "\". Is a directory."));
    fs::remove(list_path());
    kvtu::test::FakeGameServer silent;
    main_form->udp_client.set_receive_timeout(silence_wait_ms);
    write_list(entry_of(silent.port()) + "\r\n");
    click("Button1");
    type_and_enter("a:1");
    EXPECT_TRUE(close_window());
    EXPECT_EQ(read_list(), entry_of(silent.port()) + "\r\na:1\r\n");
}

TEST_F(BrowserTest, EnterAddsANewTextToMemoAndRowsButNotToTheDropDown) {
    write_list("host:2303\r\nb:2");
    start();
    type_and_enter("host:2303");
    EXPECT_EQ(main_form->memo_text(), "host:2303\nb:2");
    EXPECT_EQ(serverlist().topLevelItemCount(), 2);

    type_and_enter("Host:2303");
    type_and_enter(" host:2303");
    type_and_enter("barehost");
    EXPECT_EQ(main_form->memo_lines(),
              (TStringDynArray{"host:2303", "b:2", "Host:2303", " host:2303", "barehost"}));
    EXPECT_THAT(captions(), ElementsAre(" host:2303", "b:2", "barehost", "host:2303", "Host:2303"));
    EXPECT_THAT(drop_down(), ElementsAre("host:2303", "b:2"));
    // The box keeps its text and nothing was queried or shown.
    EXPECT_EQ(server_ipport().currentText(), "barehost");
    EXPECT_EQ(image_of(row("barehost")), 0);
    EXPECT_TRUE(serverlist().selectedItems().isEmpty());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(read_list(), "host:2303\r\nb:2");
}

TEST_F(BrowserTest, EnterOnAnEmptyBoxAddsAnEmptyEntryByTheAppendRule) {
    write_list("a:1");
    start();
    // After a text without a final break only the break is added: still no empty entry.
    type_and_enter("");
    EXPECT_EQ(main_form->memo_text(), "a:1\n");
    EXPECT_EQ(main_form->memo_lines(), TStringDynArray{"a:1"});
    type_and_enter("");
    EXPECT_EQ(main_form->memo_lines(), (TStringDynArray{"a:1", ""}));
    type_and_enter("");
    EXPECT_EQ(main_form->memo_lines(), (TStringDynArray{"a:1", ""}));
    EXPECT_THAT(captions(), ElementsAre("", "", "a:1"));
}

TEST_F(BrowserTest, ALineDeletedFromTheMemoAndTypedAgainGivesASecondRow) {
    write_list("a:1\r\nb:2\r\n");
    start();
    kvtu::test::type_into(debug_memo(), "b:2\n");
    type_and_enter("a:1");
    EXPECT_EQ(main_form->memo_lines(), (TStringDynArray{"b:2", "a:1"}));
    EXPECT_THAT(captions(), ElementsAre("a:1", "a:1", "b:2"));
}

TEST_F(BrowserTest, OtherKeysReachTheBoxAndTheDropDownOnlySetsItsText) {
    write_list("a:1\r\nb:2\r\n");
    start();
    kvtu::test::click(server_ipport());
    kvtu::test::type(*main_form, "c:3");
    EXPECT_EQ(server_ipport().currentText(), "c:3");
    kvtu::test::pick(server_ipport(), 1);
    EXPECT_EQ(server_ipport().currentText(), "b:2");
    EXPECT_EQ(main_form->memo_lines(), (TStringDynArray{"a:1", "b:2"}));
    EXPECT_EQ(serverlist().topLevelItemCount(), 2);
}

}  // namespace
}  // namespace kvtu::browser::test
