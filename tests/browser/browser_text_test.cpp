// Server list lines and game servers' names in UTF-8 and in Windows-1252: shown by the text rule,
// sorted by what is shown, and given back as they came while the user leaves them as they are.
#include <QTextBlock>

#include "browser_fixture.h"
#include "fake_game_server.h"
#include "status_reply.h"
#include "test_environment.h"
#include "user_input.h"

namespace kvtu::browser::test {
namespace {

using ::testing::ElementsAre;

QString utf8(const std::string& text) {
    return QString::fromUtf8(text);
}

std::vector<QString> shown_captions() {
    std::vector<QString> result;
    for (int i = 0; i < BrowserTest::serverlist().topLevelItemCount(); ++i) {
        result.push_back(BrowserTest::serverlist().topLevelItem(i)->text(0));
    }
    return result;
}

TEST_F(BrowserTest, ListLinesInUtf8AndWindows1252ShowSortAndGoBackAsTheyCame) {
    // "Grün:1" and "Jörg:4" in Windows-1252, "Grün:2" in UTF-8.
    write_list("Gr\xfcn:1\r\nGrb:1\r\nGr\xc3\xbcn:2\r\nJ\xf6rg:4\r\n");
    start();
    const QString grun_1 = utf8("Gr\xc3\xbcn:1");
    const QString grun_2 = utf8("Gr\xc3\xbcn:2");
    const QString jorg_4 = utf8("J\xc3\xb6rg:4");
    EXPECT_EQ(debug_memo().toPlainText(), grun_1 + "\nGrb:1\n" + grun_2 + "\n" + jorg_4 + "\n");
    EXPECT_EQ(server_ipport().itemText(0), grun_1);
    // Sorted by the letters shown: "ü" is a "u" in both, after "b".
    EXPECT_THAT(shown_captions(), ElementsAre("Grb:1", grun_1, grun_2, jorg_4));

    // The user changes the first line: it goes back as typed, in UTF-8; the lines left as they
    // were go back byte for byte.
    QPlainTextEdit& memo = debug_memo();
    QTextCursor first_line(memo.document()->firstBlock());
    kvtu::test::click(*memo.viewport(), memo.cursorRect(first_line).center());
    kvtu::test::key(*main_form, Qt::Key_End);
    kvtu::test::type(*main_form, "0");
    EXPECT_TRUE(close_window());
    EXPECT_EQ(read_list(), "Gr\xc3\xbcn:10\r\nGrb:1\r\nGr\xc3\xbcn:2\r\nJ\xf6rg:4\r\n");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, GameServerNamesInWindows1252ShowByTheRule) {
    KVTU_SKIP_WITHOUT_ECHOES();
    kvtu::test::FakeGameServer server;
    server.answer_always(kvtu::test::StatusReply()
                             .set(8, "Caf\xe9 \x80")
                             .set(14,
                                  "Stra\xdf"
                                  "e")
                             .text());
    write_list(entry_of(server.port()) + "\r\n");
    start();
    QTreeWidgetItem& item = row(entry_of(server.port()));
    kvtu::test::click(*serverlist().viewport(), serverlist().visualItemRect(&item).center());
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_EQ(item.text(1), utf8("Caf\xc3\xa9 \xe2\x82\xac"));
    EXPECT_EQ(item.text(3), utf8("Stra\xc3\x9f"
                                 "e"));
    EXPECT_EQ(control<QLabel>("server_hostname").text(), utf8("Caf\xc3\xa9 \xe2\x82\xac"));
    EXPECT_EQ(control<QLabel>("server_mission").text(), utf8("Stra\xc3\x9f"
                                                             "e"));
}

}  // namespace
}  // namespace kvtu::browser::test
