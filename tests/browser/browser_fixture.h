#pragma once
// Runs the browser's real window in the test process: the settings store and the install
// folder are the sandbox's, the servers are fake game servers on loopback, message boxes are
// recorded instead of shown, and input arrives as a person gives it (user_input.h).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "browser/browser_form.h"
#include "browser/program.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"
#include "platform/ui/application.h"
#include "test_environment.h"
#include "user_input.h"

namespace kvtu::browser::test {

namespace fs = std::filesystem;

// A query that expects a reply ends as soon as it is there, so its wait is long; a query that
// expects silence waits briefly.
inline constexpr int reply_wait_ms = 5000;
inline constexpr int silence_wait_ms = 200;

class BrowserTest : public ::testing::Test {
  public:
    void SetUp() override {
        ui::Application::instance().set_title(std::string(application_title));
        ui::Application::instance().set_message_recorder(
            [this](const ui::MessageRecord& record) { boxes.push_back(record); });
        store(settings::installdir, kvtu::test::install_dir().string());
    }

    void TearDown() override {
        kvtu::test::leave_input();
        destroy_window();
        // A close ends the program; the next test starts it afresh.
        ui::Application::instance().reset();
        ui::Application::instance().set_message_recorder(nullptr);
    }

    static void store(std::string_view name, const std::string& value) {
        Registry settings_store;
        ASSERT_TRUE(settings_store.open_key(settings::launcher_key, true));
        settings_store.write_string(name, value);
    }

    static fs::path list_path() { return kvtu::test::install_dir() / "dta" / "serverlist.dat"; }

    static void write_list(const std::string& bytes) {
        fs::create_directories(list_path().parent_path());
        std::ofstream(list_path(), std::ios::binary | std::ios::trunc) << bytes;
    }

    static std::string read_list() {
        std::ifstream file(list_path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), {}};
    }

    // Creates the window, as the start of the program does, and shows it.
    static void start(int wait_ms = reply_wait_ms) {
        create_window();
        main_form->udp_client.set_receive_timeout(wait_ms);
        main_form->show();
    }

    template <class Control>
    static Control& control(const char* name) {
        auto* found = main_form->findChild<Control*>(name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    static QTreeWidget& serverlist() { return control<QTreeWidget>("serverlist"); }
    static QComboBox& server_ipport() { return control<QComboBox>("server_ipport"); }
    static QPlainTextEdit& debug_memo() { return control<QPlainTextEdit>("debug_memo"); }
    static std::string label(const char* name) {
        return control<QLabel>(name).text().toStdString();
    }

    static std::vector<std::string> captions() {
        std::vector<std::string> result;
        for (int i = 0; i < serverlist().topLevelItemCount(); ++i) {
            result.push_back(serverlist().topLevelItem(i)->text(0).toStdString());
        }
        return result;
    }
    static std::vector<std::string> drop_down() {
        std::vector<std::string> result;
        for (int i = 0; i < server_ipport().count(); ++i) {
            result.push_back(server_ipport().itemText(i).toStdString());
        }
        return result;
    }

    static QTreeWidgetItem& row(const std::string& caption) {
        const auto found =
            serverlist().findItems(QString::fromStdString(caption), Qt::MatchExactly);
        EXPECT_EQ(found.size(), 1) << caption;
        return *found.front();
    }
    static int image_of(const QTreeWidgetItem& item) {
        return item.data(0, image_index_role).toInt();
    }
    static std::vector<std::string> columns_of(const QTreeWidgetItem& item) {
        std::vector<std::string> result;
        for (int column = 1; column < 6; ++column) {
            result.push_back(item.text(column).toStdString());
        }
        return result;
    }

    // A click of the left button on the row, at the given horizontal position of the view.
    static void press_on(const QTreeWidgetItem& item, int x = 300) {
        const QRect bounds = serverlist().visualItemRect(&item);
        kvtu::test::click(*serverlist().viewport(), QPoint(x, bounds.center().y()));
    }

    // Clicks into the IP:Port box, replaces its text by typing and presses Enter.
    static void type_and_enter(const std::string& text) {
        kvtu::test::type_into(server_ipport(), QString::fromLatin1(text.c_str()));
        kvtu::test::key(*main_form, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    }

    // Clicks a button of the window.
    static void click(const char* button) { kvtu::test::click(control<QWidget>(button)); }

    // Closes the window as its title bar's close box does; reports whether it closed.
    static bool close_window() { return kvtu::test::close_window(*main_form); }

    static std::string entry_of(int port) { return "127.0.0.1:" + std::to_string(port); }

    std::vector<std::string> error_texts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes) {
            EXPECT_EQ(box.kind, ui::MessageKind::error);
            EXPECT_EQ(box.title, "KVT:U Server Browser");
            texts.push_back(box.text);
        }
        return texts;
    }

    std::vector<ui::MessageRecord> boxes;
};

}  // namespace kvtu::browser::test
