// The launcher's start as a whole, through run_program.
#include "../core/hive_test_files.h"
#include "launcher_fixture.h"
#include "platform/core/errors.h"

namespace kvtu::launcher::test {
namespace {

TEST_F(LauncherTest, ASettingsFileThatCannotBeReadIsReportedOnceAtStartAndKept) {
    const std::string hive =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Zelvane\\KVTU Vavaver]\n"
        "\"style\"=\"default\"\n"
        "style=default\n";
    kvtu::test::put_hive(hive);
    // The loop returns at once; everything before it runs as at a real start.
    ui::Application::instance().terminate();
    run_program();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::error);
    EXPECT_EQ(boxes[0].title, "KVT:U Vavaver v1.0.6");
    EXPECT_EQ(boxes[0].text, settings_file_unparsable_message(kvtu::test::hive_path(), 5));
    // The windows then go on without settings, as designed, and say nothing more about it.
    for (std::size_t i = 1; i < boxes.size(); ++i) {
        EXPECT_EQ(boxes[i].text.find("settings file"), std::string::npos) << boxes[i].text;
    }
    EXPECT_EQ(kvtu::test::file_bytes(kvtu::test::hive_path()), hive);
}

}  // namespace
}  // namespace kvtu::launcher::test
