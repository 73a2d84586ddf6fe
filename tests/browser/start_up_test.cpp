// The browser's start as a whole, through run_program.
#include <sys/stat.h>

#include "../core/hive_test_files.h"
#include "browser_fixture.h"
#include "platform/core/errors.h"

namespace kvtu::browser::test {
namespace {

TEST_F(BrowserTest, AFifoInPlaceOfTheSettingsFileIsReportedOnceAtStartWithoutWaiting) {
    write_list("a:1\r\n");
    fs::remove(kvtu::test::hive_path());
    ASSERT_EQ(mkfifo(kvtu::test::hive_path().c_str(), 0600), 0);
    // The loop returns at once; everything before it runs as at a real start.
    ui::Application::instance().terminate();
    run_program();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, ui::MessageKind::error);
    EXPECT_EQ(boxes[0].title, "KVT:U Server Browser");
    EXPECT_EQ(boxes[0].text, settings_file_not_regular_message(kvtu::test::hive_path()));
    EXPECT_TRUE(fs::is_fifo(kvtu::test::hive_path()));
    EXPECT_EQ(read_list(), "a:1\r\n");
}

}  // namespace
}  // namespace kvtu::browser::test
