// Queries of the browser's rows against fake game servers on loopback, with the real echo.
#include <QPushButton>
#include <QRegularExpression>
#include <thread>

#include "browser_fixture.h"
#include "fake_game_server.h"
#include "label_text_check.h"
#include "platform/net/icmp_echo.h"
#include "status_reply.h"
#include "test_environment.h"

namespace kvtu::browser::test {
namespace {

using kvtu::test::FakeGameServer;
using kvtu::test::StatusReply;
using ::testing::ElementsAre;

struct Details {
    std::string host_name, version, type, status, mission, world, players;
    bool operator==(const Details&) const = default;
};

Details details() {
    return {BrowserTest::control<QLabel>("server_hostname").text().toStdString(),
            BrowserTest::control<QLabel>("server_version").text().toStdString(),
            BrowserTest::control<QLabel>("server_type").text().toStdString(),
            BrowserTest::control<QLabel>("server_status").text().toStdString(),
            BrowserTest::control<QLabel>("server_mission").text().toStdString(),
            BrowserTest::control<QLabel>("server_world").text().toStdString(),
            BrowserTest::control<QLabel>("server_player").text().toStdString()};
}

bool is_ping_text(const std::string& text) {
    return QRegularExpression("^(<1|=[1-9][0-9]*) ms$")
        .match(QString::fromStdString(text))
        .hasMatch();
}

void click_refresh_all() {
    BrowserTest::click("Button1");
}

TEST_F(BrowserTest, SelectingARowQueriesItsServerAndFillsRowAndDetails) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.answer_always(StatusReply().set(8, "Kvtu Dedicated").set(36, "1").text());
    write_list(entry_of(server.port()) + "\r\n");
    start();
    QTreeWidgetItem& item = row(entry_of(server.port()));
    press_on(item);
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_TRUE(item.isSelected());
    // The server records a request only after its answer left, so the record may lag the reply.
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_EQ(server.requests(), std::vector<std::string>{"\\status\\"});
    EXPECT_EQ(image_of(item), 15);
    EXPECT_THAT(columns_of(item),
                ElementsAre("Kvtu Dedicated", "3/16", "Ambush", "Game in Progress", "Private"));
    EXPECT_EQ(details(), (Details{"Kvtu Dedicated", "1.96", "Private", "Game in Progress", "Ambush",
                                  "Tarnholm", "3/16"}));
    EXPECT_TRUE(is_ping_text(label("server_latency"))) << label("server_latency");
    EXPECT_EQ(main_form->udp_client.host(), "127.0.0.1");
    EXPECT_EQ(main_form->indy_ping.host(), "127.0.0.1");
    EXPECT_EQ(main_form->indy_ping.receive_timeout(), 2000);

    // Pressing on the selected row again queries nothing.
    press_on(item, 20);
    EXPECT_FALSE(server.wait_for_requests(2, std::chrono::milliseconds(silence_wait_ms)));
}

TEST_F(BrowserTest, ServerTextsThatLookLikeMarkupAreShownAsWritten) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.answer_always(kvtu::test::reply_with_markup());
    write_list(entry_of(server.port()) + "\r\n");
    start();
    press_on(row(entry_of(server.port())));
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_EQ(details().host_name, kvtu::test::markup_host_name);
    for (const char* name : kvtu::test::markup_label_names) {
        kvtu::test::expect_shown_as_written(control<QLabel>(name));
    }
}

TEST_F(BrowserTest, PingTextShowsTheEchoTimeWithABlankBeforeMs) {
    write_list("");
    start();
    main_form->indy_pingReply({net::EchoStatus::echo_reply, 0});
    EXPECT_EQ(label("server_latency"), "<1 ms");
    main_form->indy_pingReply({net::EchoStatus::echo_reply, 47});
    EXPECT_EQ(label("server_latency"), "=47 ms");
    main_form->indy_pingReply({net::EchoStatus::timed_out, 2003});
    EXPECT_EQ(label("server_latency"), "=2003 ms");
}

TEST_F(BrowserTest, IconFollowsTheVersionComparedByteForByteWithOnePointNineOne) {
    KVTU_SKIP_WITHOUT_ECHOES();
    const std::pair<std::string, int> versions[] = {{"1.96", 15},  {"1.91", 16}, {"1.9", 16},
                                                    {"1.910", 15}, {"2.00", 15}, {"10.0", 15},
                                                    {"", 16},      {"1.90", 16}};
    FakeGameServer server;
    std::vector<FakeGameServer::Answer> answers;
    for (const auto& [version, icon] : versions) {
        answers.push_back({StatusReply().set(4, version).text()});
    }
    server.script(answers);
    // Two rows of one server, selected in turn, so every selection is a change.
    write_list(entry_of(server.port()) + "\r\n" + entry_of(server.port()) + "\r\n");
    start();
    for (std::size_t i = 0; i < std::size(versions); ++i) {
        QTreeWidgetItem& item = *serverlist().topLevelItem(static_cast<int>(i % 2));
        press_on(item);
        EXPECT_EQ(image_of(item), versions[i].second) << versions[i].first;
        EXPECT_EQ(label("server_version"), versions[i].first);
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, RefusedOrMissingRepliesLeaveRowAndDetailsAsTheyWere) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer good;
    good.answer_always(StatusReply().text());
    FakeGameServer too_short;
    too_short.answer_always("\\gamena");
    FakeGameServer wrong_case;
    wrong_case.answer_always("\\GAMENAME\\kvtu\\gamever\\1.96");
    FakeGameServer silent;
    write_list(entry_of(good.port()) + "\r\n" + entry_of(too_short.port()) + "\r\n" +
               entry_of(wrong_case.port()) + "\r\n" + entry_of(silent.port()) + "\r\n");
    start();
    press_on(row(entry_of(good.port())));
    main_form->indy_pingReply({net::EchoStatus::echo_reply, 4711});
    const Details shown = details();
    ASSERT_EQ(shown.world, "Tarnholm");

    for (FakeGameServer* server : {&too_short, &wrong_case, &silent}) {
        // Only the silent server's wait is short; the others answer at once.
        if (server == &silent) main_form->udp_client.set_receive_timeout(silence_wait_ms);
        QTreeWidgetItem& refused = row(entry_of(server->port()));
        press_on(refused);
        EXPECT_TRUE(refused.isSelected());
        ASSERT_TRUE(server->wait_for_requests(1));
        EXPECT_EQ(server->requests().size(), 1u);
        EXPECT_EQ(image_of(refused), 0);
        EXPECT_THAT(columns_of(refused), ElementsAre("", "", "", "", ""));
        EXPECT_EQ(details(), shown);
        // No echo ran.
        EXPECT_EQ(label("server_latency"), "=4711 ms");
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, ReplyOfThirtyEightPartsIsARangeErrorThatChangesNothingShown) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script(
        {{StatusReply().text()}, {StatusReply().set(8, "Other").set(36, "0").keep(38).text()}});
    write_list(entry_of(server.port()) + "\r\n" + entry_of(server.port()) + "\r\n");
    start();
    QTreeWidgetItem& first = *serverlist().topLevelItem(0);
    QTreeWidgetItem& second = *serverlist().topLevelItem(1);
    press_on(first);
    main_form->indy_pingReply({net::EchoStatus::echo_reply, 4711});
    const Details shown = details();
    press_on(second);
    EXPECT_THAT(error_texts(), ElementsAre("Range check error."));
    EXPECT_EQ(details(), shown);
    // No echo ran, so the ping label keeps its text too.
    EXPECT_EQ(label("server_latency"), "=4711 ms");
    EXPECT_EQ(image_of(second), 0);
    EXPECT_THAT(columns_of(second), ElementsAre("", "", "", "", ""));
}

TEST_F(BrowserTest, EmptyWorldCodeAndUnknownWorldCode) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script({{StatusReply().set(12, "").set(14, "Ambush").text()},
                   {StatusReply().set(12, "tARN").set(14, "").text()}});
    write_list(entry_of(server.port()) + "\r\n" + entry_of(server.port()) + "\r\n");
    start();
    press_on(*serverlist().topLevelItem(0));
    EXPECT_EQ(label("server_mission"), "No mission selected");
    EXPECT_EQ(label("server_world"), "No World selected");
    press_on(*serverlist().topLevelItem(1));
    // The unknown code shows no world, not the previous server's text.
    EXPECT_EQ(label("server_world"), "");
    EXPECT_EQ(label("server_mission"), "");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, BadEntriesGiveConversionOrRangeErrorsAndNoQuery) {
    write_list("host:abc\r\nhost\r\nhost:\r\n\r\nhost: 70000x\r\n");
    start();
    for (const std::string caption : {"host:abc", "host", "host:", "", "host: 70000x"}) {
        press_on(row(caption));
    }
    EXPECT_THAT(error_texts(),
                ElementsAre("'abc' is not a valid integer value.", "Range check error.",
                            "Range check error.", "'' is not a valid integer value.",
                            "' 70000x' is not a valid integer value."));
    EXPECT_FALSE(main_form->udp_client.active());
}

TEST_F(BrowserTest, MouseBelowTheRowsClearsTheSelectionAndKeyboardMovesQuery) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.answer_always(StatusReply().text());
    write_list(entry_of(server.port()) + "\r\n" + entry_of(server.port()) + "\r\n");
    start();
    QTreeWidgetItem& first = *serverlist().topLevelItem(0);
    QTreeWidgetItem& second = *serverlist().topLevelItem(1);
    // The right button selects too, whatever the horizontal position.
    const QRect bounds = serverlist().visualItemRect(&first);
    kvtu::test::click(*serverlist().viewport(), QPoint(700, bounds.center().y()), Qt::RightButton);
    EXPECT_TRUE(first.isSelected());
    ASSERT_TRUE(server.wait_for_requests(1));

    kvtu::test::key(*main_form, Qt::Key_Down);
    EXPECT_TRUE(second.isSelected());
    ASSERT_TRUE(server.wait_for_requests(2));
    EXPECT_EQ(image_of(second), 15);

    kvtu::test::click(*serverlist().viewport(), QPoint(20, serverlist().viewport()->height() - 2));
    EXPECT_TRUE(serverlist().selectedItems().isEmpty());
    EXPECT_FALSE(server.wait_for_requests(3, std::chrono::milliseconds(silence_wait_ms)));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(BrowserTest, RefreshAllReloadsTheFileAndQueriesEveryLineInFileOrder) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer silent;
    FakeGameServer first;
    first.answer_always(StatusReply().set(8, "First").set(4, "1.91").text());
    FakeGameServer last;
    last.answer_always(StatusReply().set(8, "Last").set(12, "Marn").text());
    // File order differs from the sorted rows; the silent server comes first.
    const std::string file = entry_of(silent.port()) + "\r\n" + entry_of(last.port()) + "\r\n" +
                             entry_of(first.port()) + "\r\n";
    write_list(file);
    start(silence_wait_ms);
    type_and_enter("added:2303");
    ASSERT_EQ(main_form->memo_lines().size(), 4u);

    // The silent server's wait is short; the others answer at once.
    click_refresh_all();
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_EQ(
        main_form->memo_lines(),
        (TStringDynArray{entry_of(silent.port()), entry_of(last.port()), entry_of(first.port())}));
    EXPECT_EQ(serverlist().topLevelItemCount(), 4);
    EXPECT_EQ(image_of(row("added:2303")), 0);
    EXPECT_EQ(image_of(row(entry_of(silent.port()))), 0);
    EXPECT_EQ(image_of(row(entry_of(first.port()))), 16);
    EXPECT_EQ(row(entry_of(first.port())).text(1), "First");
    EXPECT_EQ(image_of(row(entry_of(last.port()))), 15);
    // The details show the last line of the file that gave a summary.
    EXPECT_EQ(label("server_hostname"), "First");
    EXPECT_TRUE(serverlist().selectedItems().isEmpty());
    EXPECT_THAT(drop_down(), ElementsAre(entry_of(silent.port()), entry_of(last.port()),
                                         entry_of(first.port())));

    EXPECT_TRUE(close_window());
    EXPECT_EQ(read_list(), file);
}

TEST_F(BrowserTest, RefreshAllShowsALateAnswerInNoOtherRow) {
    KVTU_SKIP_WITHOUT_ECHOES();
    // The first server of the file answers only after its query gave up, while the second
    // server's query waits for that server's own answer.
    FakeGameServer late;
    late.script({{}});
    FakeGameServer second;
    second.script({{}});
    write_list(entry_of(late.port()) + "\r\n" + entry_of(second.port()) + "\r\n");
    // Long enough for the answering thread on a busy machine: only the late server's query
    // waits it out.
    start(1000);
    std::thread answers([&] {
        if (!second.wait_for_requests(1)) return;
        late.send_to_last_sender(StatusReply().set(8, "Late").text());
        second.send_to_last_sender(StatusReply().set(8, "Second").text());
    });
    click_refresh_all();
    answers.join();
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    EXPECT_EQ(image_of(row(entry_of(late.port()))), 0);
    EXPECT_THAT(columns_of(row(entry_of(late.port()))), ElementsAre("", "", "", "", ""));
    EXPECT_EQ(row(entry_of(second.port())).text(1), "Second");
    EXPECT_EQ(label("server_hostname"), "Second");
}

TEST_F(BrowserTest, RefreshAllStopsAtABadLineAndKeepsEarlierResults) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.answer_always(StatusReply().set(8, "Before").text());
    FakeGameServer after;
    after.answer_always(StatusReply().set(8, "After").text());
    write_list(entry_of(server.port()) + "\r\nbad:port\r\n" + entry_of(after.port()) + "\r\n");
    start();
    click_refresh_all();
    EXPECT_THAT(error_texts(), ElementsAre("'port' is not a valid integer value."));
    EXPECT_EQ(row(entry_of(server.port())).text(1), "Before");
    EXPECT_EQ(image_of(row(entry_of(after.port()))), 0);
    EXPECT_FALSE(after.wait_for_requests(1, std::chrono::milliseconds(silence_wait_ms)));
}

TEST_F(BrowserTest, RefreshAllWithoutAFileKeepsTheListAndEmptyFileEmptiesIt) {
    write_list("a:1\r\n");
    start();
    type_and_enter("b:2");
    fs::remove(list_path());
    click_refresh_all();
    EXPECT_THAT(error_texts(), ElementsAre("Cannot open file \"" + list_path().string() +
                                           "\". No such file or directory."));
    EXPECT_EQ(main_form->memo_lines(), (TStringDynArray{"a:1", "b:2"}));

    write_list("");
    boxes.clear();
    click_refresh_all();
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(main_form->memo_lines().empty());
    EXPECT_THAT(captions(), ElementsAre("a:1", "b:2"));
    EXPECT_FALSE(main_form->udp_client.active());
}

}  // namespace
}  // namespace kvtu::browser::test
