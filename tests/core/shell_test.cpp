#include "platform/core/shell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "standin_record.h"
#include "test_environment.h"

namespace fs = std::filesystem;
using kvtu::test::await_standin_record;
using kvtu::test::place_standin;
using kvtu::test::record_standin_to;
using kvtu::test::sandbox;

namespace {

using Arguments = std::vector<std::string>;

const fs::path standin = kvtu::test::standin_program();

fs::path make_folder(const fs::path& path) {
    fs::create_directories(path);
    return fs::canonical(path);
}

void put_first_on_path(const fs::path& folder) {
    const char* path = getenv("PATH");
    setenv("PATH", (folder.string() + ":" + (path ? path : "")).c_str(), 1);
}

// Restores the test process's folder, so the sandbox can be removed afterwards.
class InFolder {
  public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(previous_); }

  private:
    fs::path previous_;
};

// The environment that a test changes for its started programs is put back afterwards.
class ShellOpen : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* path = getenv("PATH");
        saved_path_ = path ? path : "";
    }
    void TearDown() override {
        setenv("PATH", saved_path_.c_str(), 1);
        unsetenv("KVTU_STANDIN_WAIT_FOR");
        unsetenv("KVTU_STANDIN_RECORD");
    }

  private:
    std::string saved_path_;
};

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroup) {
    using kvtu::split_command_line;
    EXPECT_EQ(split_command_line(""), Arguments{});
    EXPECT_EQ(split_command_line(" \t "), Arguments{});
    EXPECT_EQ(split_command_line(" -mod="), Arguments{"-mod="});
    EXPECT_EQ(split_command_line("a  b\tc "), (Arguments{"a", "b", "c"}));
    EXPECT_EQ(split_command_line(R"("my mod;x" -window)"), (Arguments{"my mod;x", "-window"}));
    EXPECT_EQ(split_command_line(R"(a"b c"d)"), Arguments{"ab cd"});
    EXPECT_EQ(split_command_line(R"(x "" y)"), (Arguments{"x", "", "y"}));
    EXPECT_EQ(split_command_line(R"("open ended)"), Arguments{"open ended"});
    // The doubled quote ends the quoted part, so the last quote opens a new one.
    EXPECT_EQ(split_command_line(R"("a""b d)"), (Arguments{"a\"b", "d"}));
    EXPECT_EQ(split_command_line(R"("a""b" c)"), Arguments{"a\"b c"});
    EXPECT_EQ(split_command_line(R"(""")"), Arguments{"\""});
}

TEST(SplitCommandLine, BackslashesCountOnlyBeforeAQuote) {
    using kvtu::split_command_line;
    EXPECT_EQ(split_command_line(R"(C:\games\korv\ a\\b)"),
              (Arguments{R"(C:\games\korv\)", R"(a\\b)"}));
    EXPECT_EQ(split_command_line(R"(a\"b)"), Arguments{R"(a"b)"});
    EXPECT_EQ(split_command_line(R"(a\\"b c")"), Arguments{R"(a\b c)"});
    EXPECT_EQ(split_command_line(R"(a\\\"b)"), Arguments{R"(a\"b)"});
    EXPECT_EQ(split_command_line(R"("dir\\" next)"), (Arguments{R"(dir\)", "next"}));
}

TEST_F(ShellOpen, StartsAnExecutableDetachedWithSplitArgumentsInTheWorkingFolder) {
    const fs::path work = make_folder(sandbox() / "game folder");
    const fs::path record = sandbox() / "record";
    const fs::path marker = sandbox() / "marker";
    record_standin_to(record);
    setenv("KVTU_STANDIN_WAIT_FOR", marker.c_str(), 1);
    // A descriptor we keep open without close-on-exec, like the single-instance lock file.
    const int lock = open((sandbox() / "lock").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(lock, 0);

    kvtu::shell_open(standin, R"( -nosplash "-mod=my mod;x" a\"b c\\d)", work);

    // Returned while the program still waits for the marker, and it is not our child.
    EXPECT_FALSE(fs::exists(record));
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    std::ofstream(marker).put('x');

    const auto seen = await_standin_record(record);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->arguments,
              (Arguments{standin.string(), "-nosplash", "-mod=my mod;x", "a\"b", R"(c\\d)"}));
    EXPECT_EQ(seen->working_folder, work.string());
    EXPECT_EQ(seen->stdin_target, "/dev/null");
    EXPECT_EQ(seen->inherited_descriptors, "");
    close(lock);
}

TEST_F(ShellOpen, EmptyWorkingFolderMeansTheCallersFolder) {
    const fs::path here = make_folder(sandbox() / "here");
    const fs::path record = sandbox() / "record";
    record_standin_to(record);
    InFolder in_here(here);

    kvtu::shell_open(standin, "", "");

    const auto seen = await_standin_record(record);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->working_folder, here.string());
    EXPECT_EQ(seen->arguments, Arguments{standin.string()});
}

TEST_F(ShellOpen, RelativeFileIsFoundFromTheCallersFolder) {
    const fs::path bin = make_folder(sandbox() / "bin");
    place_standin(bin / "game");
    const fs::path work = make_folder(sandbox() / "work");
    const fs::path record = sandbox() / "record";
    record_standin_to(record);
    InFolder in_bin(bin);

    kvtu::shell_open("game", "-x", work);

    const auto seen = await_standin_record(record);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->arguments, (Arguments{(bin / "game").string(), "-x"}));
    EXPECT_EQ(seen->working_folder, work.string());
}

TEST_F(ShellOpen, MissingWorkingFolderStartsNothing) {
    const fs::path refused = sandbox() / "refused";
    record_standin_to(refused);
    kvtu::shell_open(standin, "", sandbox() / "no such folder");

    // A later start that is awaited; the refused one was never forked.
    const fs::path started = sandbox() / "started";
    record_standin_to(started);
    kvtu::shell_open(standin, "", sandbox());
    ASSERT_TRUE(await_standin_record(started));
    EXPECT_FALSE(fs::exists(refused));
}

TEST_F(ShellOpen, EverythingElseGoesToXdgOpenAsItsOnlyArgument) {
    const fs::path bin = make_folder(sandbox() / "bin");
    const fs::path opener = place_standin(bin / "xdg-open");
    put_first_on_path(bin);
    const fs::path document = sandbox() / "read me.txt";
    std::ofstream(document) << "text";
    const fs::path folder = make_folder(sandbox() / "a folder");

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"https://example.invalid/page?a=b c", "https://example.invalid/page?a=b c"},
        {"mailto:someone@example.invalid", "mailto:someone@example.invalid"},
        {document.string(), document.string()},
        {folder.string(), folder.string()},
    };
    int number = 0;
    for (const auto& [file, expected] : cases) {
        SCOPED_TRACE(file);
        const fs::path record = sandbox() / ("record" + std::to_string(++number));
        record_standin_to(record);
        kvtu::shell_open(file, "-ignored", "");
        const auto seen = await_standin_record(record);
        ASSERT_TRUE(seen);
        EXPECT_EQ(seen->arguments, (Arguments{opener.string(), expected}));
    }
}

TEST_F(ShellOpen, RelativeDocumentIsPassedAbsolute) {
    const fs::path bin = make_folder(sandbox() / "bin");
    const fs::path opener = place_standin(bin / "xdg-open");
    put_first_on_path(bin);
    const fs::path here = make_folder(sandbox() / "here");
    std::ofstream(here / "notes.txt") << "text";
    const fs::path record = sandbox() / "record";
    record_standin_to(record);
    InFolder in_here(here);

    kvtu::shell_open("notes.txt", "", make_folder(sandbox() / "elsewhere"));

    const auto seen = await_standin_record(record);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->arguments, (Arguments{opener.string(), (here / "notes.txt").string()}));
}

TEST_F(ShellOpen, NoOpenerAndNoFileAreSilent) {
    setenv("PATH", make_folder(sandbox() / "empty").c_str(), 1);
    EXPECT_NO_THROW(kvtu::shell_open("https://example.invalid/", "", ""));
    EXPECT_NO_THROW(kvtu::shell_open("", " -mod=", ""));
}

}  // namespace
