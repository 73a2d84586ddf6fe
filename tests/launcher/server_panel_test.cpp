// The main window's server panel against fake game servers on loopback, with the real echo.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>

#include "fake_game_server.h"
#include "label_text_check.h"
#include "launcher/server_panel.h"
#include "launcher_fixture.h"
#include "status_reply.h"
#include "test_environment.h"

namespace kvtu::launcher::test {
namespace {

using kvtu::test::FakeGameServer;
using kvtu::test::StatusReply;

// The test window waits this long for a reply that does not come.
constexpr int silence_wait_ms = 300;

const char* const value_label_names[] = {"server_hostname", "server_version", "server_status",
                                         "server_action",   "server_mission", "server_world",
                                         "server_player",   "server_latency"};

class ServerPanelTest : public LauncherTest {
  protected:
    void SetUp() override {
        LauncherTest::SetUp();
        start();
        main_form->udp_socket.set_receive_timeout(silence_wait_ms);
    }

    static QLabel& label(const char* name) {
        auto* control = main_form->findChild<QLabel*>(name);
        EXPECT_NE(control, nullptr) << name;
        return *control;
    }
    static std::string text_of(const char* name) { return label(name).text().toStdString(); }
    static QLineEdit& field(const char* name) { return *main_form->findChild<QLineEdit*>(name); }
    static QString memo() {
        return main_form->findChild<QPlainTextEdit*>("debug_memo")->toPlainText();
    }

    // The value labels in row order, the ping label included.
    static std::vector<std::string> values() {
        std::vector<std::string> texts;
        for (const char* name : value_label_names) texts.push_back(text_of(name));
        return texts;
    }

    static void query(const std::string& ip, const std::string& port) {
        kvtu::test::type_into(field("server_ip"), QString::fromStdString(ip));
        kvtu::test::type_into(field("server_port"), QString::fromStdString(port));
        click(picture("img_query"));
    }
    static void query(const FakeGameServer& server) {
        query("127.0.0.1", std::to_string(server.port()));
    }

    // A first valid query, with a known ping text, so that later steps show what they keep.
    static std::vector<std::string> shown_after_first_query(FakeGameServer& server) {
        query(server);
        main_form->indy_server_latencyReply({net::EchoStatus::echo_reply, 4711});
        return values();
    }

    std::vector<std::string> error_texts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes) {
            if (box.kind == ui::MessageKind::error) texts.push_back(box.text);
        }
        return texts;
    }
};

TEST_F(ServerPanelTest, PanelHasItsRowsFieldsAndComponentsAsDesigned) {
    const char* const captions[][2] = {
        {"label_server_hostname", "Hostname:"}, {"label_server_version", "Version:"},
        {"label_server_type", "Server type:"},  {"label_server_status", "Status:"},
        {"label_server_mission", "Mission:"},   {"label_server_world", "World:"},
        {"label_server_players", "Players: "},  {"label_server_latency", "Ping:"}};
    for (int row = 0; row < 8; ++row) {
        EXPECT_EQ(label(captions[row][0]).text(), captions[row][1]);
        EXPECT_EQ(label(captions[row][0]).pos(), QPoint(123, 104 + 16 * row)) << captions[row][0];
        EXPECT_EQ(label(value_label_names[row]).pos(), QPoint(198, 104 + 16 * row))
            << value_label_names[row];
        EXPECT_EQ(text_of(value_label_names[row]), "");
    }
    EXPECT_EQ(label("label_server_ipport").text(), "IP:Port");
    EXPECT_EQ(field("server_ip").geometry(), QRect(169, 241, 73, 21));
    EXPECT_EQ(field("server_port").geometry(), QRect(256, 241, 40, 21));
    EXPECT_EQ(field("server_port").text(), "2303");
    EXPECT_FALSE(main_form->udp_socket.active());
    EXPECT_EQ(main_form->indy_server_latency.receive_timeout(), 5000);
    EXPECT_EQ(memo(), "");
}

TEST_F(ServerPanelTest, EmptyFieldsAreRefusedWithTheirMessagesAndNothingIsSent) {
    FakeGameServer server;
    server.answer_always(StatusReply().text());
    query("", "");
    query("", std::to_string(server.port()));
    query("127.0.0.1", "");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::plain);
    EXPECT_EQ(boxes[0].text, "Du musst eine IP eingeben!");
    EXPECT_EQ(boxes[1].text, "Du musst eine IP eingeben!");
    EXPECT_EQ(boxes[2].kind, ui::MessageKind::plain);
    EXPECT_EQ(boxes[2].text, "Du musst einen Port eingeben!");
    EXPECT_EQ(boxes[2].title, "KVT:U Vavaver v1.0.6");
    EXPECT_FALSE(server.wait_for_requests(1, std::chrono::milliseconds(silence_wait_ms)));
    EXPECT_FALSE(main_form->udp_socket.active());
}

TEST_F(ServerPanelTest, PortThatIsNoIntegerFailsWithItsConversionMessageAfterTheHostIsSet) {
    FakeGameServer server;
    server.answer_always(StatusReply().text());
    query("127.0.0.1", " 23x");
    EXPECT_EQ(error_texts(), std::vector<std::string>{"' 23x' is not a valid integer value."});
    EXPECT_EQ(main_form->udp_socket.host(), "127.0.0.1");
    EXPECT_FALSE(main_form->udp_socket.active());
    // Leading blanks and the hexadecimal forms are numbers.
    query("127.0.0.1", " $" + QString::number(server.port(), 16).toStdString());
    EXPECT_TRUE(server.wait_for_requests(1));
    EXPECT_EQ(text_of("server_hostname"), "Test host");
}

TEST_F(ServerPanelTest, ValidReplyFillsTheLabelsTheMemoAndThePingThroughTheOneSocket) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script({{StatusReply().set(8, "Kvtu Dedicated").set(36, "1").set(38, "13").text()},
                   {StatusReply().set(36, "0").set(12, "ORET").set(16, "").set(18, "").text()}});
    query(server);
    ASSERT_TRUE(boxes.empty()) << boxes.front().text;
    // The fake server records a request once its answer has left.
    ASSERT_TRUE(server.wait_for_requests(1));
    EXPECT_EQ(server.requests(), std::vector<std::string>{"\\status\\"});
    const std::vector<std::string> first = values();
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.end() - 1),
              (std::vector<std::string>{"Kvtu Dedicated", "1.96", "Private", "Briefing", "Ambush",
                                        "Tarnholm", "3/16"}));
    EXPECT_TRUE(QRegularExpression("^(<1|=[1-9][0-9]*)ms$")
                    .match(label("server_latency").text())
                    .hasMatch())
        << text_of("server_latency");
    EXPECT_EQ(main_form->indy_server_latency.host(), "127.0.0.1");
    EXPECT_EQ(main_form->indy_server_latency.port(), server.port());

    // One entry of four lines per part; the reply begins with "\", so part 0 is empty.
    const QStringList lines = memo().split('\n');
    ASSERT_EQ(lines.size(), 39 * 4);
    EXPECT_EQ(lines.mid(0, 4), (QStringList{"String = ", "Index = 0", "", ""}));
    EXPECT_EQ(lines.mid(4, 4), (QStringList{"String = ", "Index = 1", "", "gamename"}));
    EXPECT_EQ(lines.mid(38 * 4, 4), (QStringList{"String = ", "Index = 38", "", "13"}));

    const int local_port = main_form->udp_socket.local_port();
    query(server);
    EXPECT_EQ(main_form->udp_socket.local_port(), local_port);
    EXPECT_EQ(text_of("server_status"), "Public");
    EXPECT_EQ(text_of("server_world"), "Oretsk");
    EXPECT_EQ(text_of("server_player"), "/");
    // The memo keeps growing; nothing clears it.
    EXPECT_EQ(memo().split('\n').size(), 2 * 39 * 4);
}

TEST_F(ServerPanelTest, ServerTextsThatLookLikeMarkupAreShownAsWritten) {
    FakeGameServer server;
    server.answer_always(kvtu::test::reply_with_markup());
    query(server);
    EXPECT_EQ(text_of("server_hostname"), kvtu::test::markup_host_name);
    for (const char* name : kvtu::test::markup_label_names) {
        kvtu::test::expect_shown_as_written(label(name));
    }
}

TEST_F(ServerPanelTest, ShortOrSilentReplyShowsOfflineAndKeepsTheOtherRows) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script({{StatusReply().text()}, {"\\gamena"}, {}, {StatusReply().set(36, "2").text()}});
    const std::vector<std::string> shown = shown_after_first_query(server);
    const QString memo_before = memo();
    for (int attempt = 0; attempt < 2; ++attempt) {
        query(server);
        std::vector<std::string> expected = shown;
        expected[2] = "Offline";
        // No memo entry and no echo: the ping text stays.
        EXPECT_EQ(values(), expected) << attempt;
        EXPECT_EQ(memo(), memo_before);
    }
    // A valid reply whose server-type flag is neither "1" nor "0" leaves "Offline" standing.
    query(server);
    EXPECT_EQ(text_of("server_status"), "Offline");
    EXPECT_NE(text_of("server_latency"), "=4711ms");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ServerPanelTest, ReplyWithoutGamenameChangesNothing) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script({{StatusReply().text()},
                   {"\\GAMENAME\\kvtu\\gamever\\1.97"},
                   {std::string("\\hostname\\x\0gamename", 20)}});
    const std::vector<std::string> shown = shown_after_first_query(server);
    const QString memo_before = memo();
    query(server);
    query(server);
    EXPECT_EQ(values(), shown);
    EXPECT_EQ(memo(), memo_before);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ServerPanelTest, TooFewPartsWriteTheMemoAndTheEarlierLabelsThenRaiseARangeError) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script(
        {{StatusReply().text()},
         {StatusReply().set(8, "Twelve").keep(12).text()},
         {StatusReply().set(8, "Twenty").set(4, "1.97").set(14, "Siege").keep(20).text()}});
    std::vector<std::string> shown = shown_after_first_query(server);
    const int entries_before = static_cast<int>(memo().split('\n').size());

    query(server);
    EXPECT_EQ(error_texts(), std::vector<std::string>{"Range check error."});
    EXPECT_EQ(values(), shown);
    EXPECT_EQ(memo().split('\n').size(), entries_before + 12 * 4);

    query(server);
    EXPECT_EQ(error_texts().size(), 2u);
    shown[0] = "Twenty";
    shown[1] = "1.97";
    shown[4] = "Siege";
    // Server type, status and world keep their text; the echo did not run.
    EXPECT_EQ(values(), shown);
}

TEST_F(ServerPanelTest, WorldCodesAndAnEmptyWorld) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script({{StatusReply().set(12, "lusk").text()},
                   {StatusReply().set(12, "").set(14, "Ambush").text()},
                   {StatusReply().set(12, "tARN").set(14, "").text()},
                   {StatusReply().set(12, "Prolo").text()}});
    query(server);
    EXPECT_EQ(text_of("server_world"), "Luskvar");
    query(server);
    EXPECT_EQ(text_of("server_mission"), "No mission selected");
    EXPECT_EQ(text_of("server_world"), "Luskvar");
    query(server);
    EXPECT_EQ(text_of("server_mission"), "");
    EXPECT_EQ(text_of("server_world"), "Luskvar");
    query(server);
    EXPECT_EQ(text_of("server_world"), "Sablecay");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ServerPanelTest, LateAnswerOfTheFirstServerIsNotShownByTheNextQuery) {
    FakeGameServer slow;
    slow.script({{}});
    FakeGameServer other;
    other.script({{}});
    query(slow);
    EXPECT_EQ(text_of("server_status"), "Offline");
    ASSERT_TRUE(slow.wait_for_requests(1));
    // On loopback the datagram is queued on the window's socket when the send returns.
    slow.send_to_last_sender(StatusReply().set(8, "Late answer").text());
    query(other);
    EXPECT_TRUE(other.wait_for_requests(1));
    EXPECT_EQ(text_of("server_hostname"), "");
    EXPECT_EQ(text_of("server_status"), "Offline");
}

TEST_F(ServerPanelTest, BlankHostPassesTheCheckAndEndsWithASocketErrorChangingNothing) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.answer_always(StatusReply().text());
    const std::vector<std::string> shown = shown_after_first_query(server);
    // Blanks pass the check for an empty field; the look-up of that name then fails.
    query("   ", std::to_string(server.port()));
    const std::vector<std::string> errors = error_texts();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("Host \"   \" not found.\n", 0), 0u) << errors[0];
    EXPECT_EQ(values(), shown);
}

TEST_F(ServerPanelTest, ClickWaitingDuringAQueryRunsAWholeSecondQueryAtItsEnd) {
    KVTU_SKIP_WITHOUT_ECHOES();
    FakeGameServer server;
    server.script(
        {{StatusReply().set(8, "First").text()}, {StatusReply().set(8, "Second").text()}});
    kvtu::test::type_into(field("server_ip"), "127.0.0.1");
    kvtu::test::type_into(field("server_port"), QString::number(server.port()));
    // A click that arrives while the window waits for the reply is handled by the one pass over
    // pending messages at the query's end, as a complete query of its own.
    const ui::PictureControl& query_picture = picture("img_query");
    const QPoint at = kvtu::test::centre_of(query_picture);
    kvtu::test::press(query_picture, at);
    kvtu::test::queue_click(query_picture, at);
    kvtu::test::release(query_picture, at);
    EXPECT_EQ(text_of("server_hostname"), "Second");
    EXPECT_EQ(memo().split('\n').size(), 2 * 39 * 4);
    EXPECT_TRUE(server.wait_for_requests(2));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ServerPanelTest, PingTextHasNoBlank) {
    main_form->indy_server_latencyReply({net::EchoStatus::echo_reply, 0});
    EXPECT_EQ(text_of("server_latency"), "<1ms");
    main_form->indy_server_latencyReply({net::EchoStatus::echo_reply, 47});
    EXPECT_EQ(text_of("server_latency"), "=47ms");
    // Without an answer the time waited is shown the same way.
    main_form->indy_server_latencyReply({net::EchoStatus::timed_out, 5003});
    EXPECT_EQ(text_of("server_latency"), "=5003ms");
}

}  // namespace
}  // namespace kvtu::launcher::test
