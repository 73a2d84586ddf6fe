#include "browser/server_list.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/core/errors.h"
#include "test_environment.h"

namespace {

namespace fs = std::filesystem;
using kvtu::TStringDynArray;
using namespace kvtu::browser;

void write_bytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string read_bytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

std::string file_error(const auto& action) {
    try {
        action();
    } catch (const kvtu::FileError& error) {
        return error.what();
    }
    return "no error";
}

// The user the permission cases run as. Root may write whatever the modes say, so root runs them
// as "nobody" in a child process; anyone else runs them as themself.
struct User {
    uid_t uid;
    gid_t gid;
};

User ordinary_user() {
    if (geteuid() != 0) return {geteuid(), getegid()};
    const passwd* nobody = getpwnam("nobody");
    return nobody != nullptr ? User{nobody->pw_uid, nobody->pw_gid} : User{65534, 65534};
}

void give(const fs::path& path, const User& user, fs::perms mode) {
    if (geteuid() == 0) {
        EXPECT_EQ(chown(path.c_str(), user.uid, user.gid), 0) << path;
    }
    fs::permissions(path, mode);
}

// The message of a save run as the user in a child process; "no error" when it succeeded.
std::string save_as(const User& user, const fs::path& path, const std::string& text) {
    int channel[2];
    if (pipe(channel) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string result = "could not become the user";
        if (geteuid() != 0 ||
            (setgroups(0, nullptr) == 0 && setgid(user.gid) == 0 && setuid(user.uid) == 0)) {
            result = file_error([&] { save_server_list(path, text); });
        }
        const ssize_t ignored = write(channel[1], result.data(), result.size());
        static_cast<void>(ignored);
        _exit(0);
    }
    close(channel[1]);
    std::string result;
    char buffer[1024];
    for (ssize_t length; (length = read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(length));
    }
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return result;
}

ino_t inode_of(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status.st_ino;
}

TEST(ServerList, PathIsTheInstallFolderAndTheListsLiteral) {
    EXPECT_EQ(server_list_path("/opt/kvtu"), "/opt/kvtu/dta/serverlist.dat");
    EXPECT_EQ(server_list_path(""), "/dta/serverlist.dat");
    EXPECT_EQ(server_list_path("/opt/kvtu/"), "/opt/kvtu//dta/serverlist.dat");
}

TEST(ServerList, EveryKindOfLineEndReadsAsOneLineBreak) {
    const fs::path path = kvtu::test::sandbox() / "list.dat";
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"\r\n", ""},
        {"b:2\r\na:1", "b:2\na:1"},
        {"a:1\nb:2\n", "a:1\nb:2\n"},
        {"a:1\rb:2\r", "a:1\nb:2\n"},
        {"a:1\r\n\r\nb:2\r\n", "a:1\n\nb:2\n"},
        {"a:1\n\r\nb:2\r\r\n", "a:1\n\nb:2\n\n"},
        {std::string("h\xe9te:1\r\n\xa0x:2", 13), std::string("h\xe9te:1\n\xa0x:2", 12)},
    };
    for (const auto& [file, text] : cases) {
        write_bytes(path, file);
        EXPECT_EQ(load_server_list(path), text) << file;
    }
}

TEST(ServerList, LinesLeaveOutOnlyTheEmptyRestAfterAFinalBreak) {
    EXPECT_EQ(list_lines(""), TStringDynArray{});
    EXPECT_EQ(list_lines("a:1"), TStringDynArray{"a:1"});
    EXPECT_EQ(list_lines("a:1\n"), TStringDynArray{"a:1"});
    EXPECT_EQ(list_lines("a:1\n\nb:2\n"), (TStringDynArray{"a:1", "", "b:2"}));
    EXPECT_EQ(list_lines("\n\n"), (TStringDynArray{"", ""}));
    EXPECT_EQ(list_lines(" host:2303 \n"), TStringDynArray{" host:2303 "});
}

TEST(ServerList, AppendPutsTheEntryOnALineOfItsOwn) {
    EXPECT_EQ(append_line("", "a:1"), "a:1\n");
    EXPECT_EQ(append_line("b:2\n", "a:1"), "b:2\na:1\n");
    EXPECT_EQ(append_line("b:2", "a:1"), "b:2\na:1");
    // An empty entry after a text without a final break adds only the break.
    EXPECT_EQ(append_line("b:2", ""), "b:2\n");
    EXPECT_EQ(append_line("b:2\n", ""), "b:2\n\n");
}

TEST(ServerList, SaveWritesEachBreakAsCarriageReturnLineFeed) {
    const fs::path path = kvtu::test::sandbox() / "list.dat";
    write_bytes(path, "an older and much longer list\r\n");
    save_server_list(path, "b:2\n\na:1");
    EXPECT_EQ(read_bytes(path), "b:2\r\n\r\na:1");
    save_server_list(path, "b:2\n");
    EXPECT_EQ(read_bytes(path), "b:2\r\n");
    save_server_list(path, "");
    EXPECT_EQ(read_bytes(path), "");
}

TEST(ServerList, ASaveThatFailsPartwayKeepsTheOldListWhole) {
    const fs::path folder = kvtu::test::sandbox() / "dta";
    fs::create_directory(folder);
    const fs::path path = folder / "serverlist.dat";
    write_bytes(path, "old:1\r\nold:2\r\n");
    // A file-size limit stands in for a disk that fills up during the save.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit small{16, limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error =
        file_error([&] { save_server_list(path, std::string(64, 'x') + ":2303\n"); });
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(error, "Cannot write file \"" + path.string() + "\". File too large");
    EXPECT_EQ(read_bytes(path), "old:1\r\nold:2\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1)
        << "a temporary file was left behind";
}

TEST(ServerList, ALinkedListIsSavedAtItsTargetWithItsPermissions) {
    const fs::path target = kvtu::test::sandbox() / "elsewhere.dat";
    const fs::path link = kvtu::test::sandbox() / "serverlist.dat";
    write_bytes(target, "old:1\r\n");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(target, link);
    save_server_list(link, "new:1\n");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(read_bytes(target), "new:1\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(ServerList, FailuresNameThePathAndTheSystemsReason) {
    const fs::path missing = kvtu::test::sandbox() / "dta" / "serverlist.dat";
    EXPECT_EQ(file_error([&] { load_server_list(missing); }),
              "Cannot open file \"" + missing.string() + "\". No such file or directory");
    EXPECT_EQ(file_error([&] { save_server_list(missing, "a:1\n"); }),
              "Cannot create file \"" + missing.string() + "\". No such file or directory");
    EXPECT_FALSE(fs::exists(missing.parent_path()));

    const fs::path folder = kvtu::test::sandbox() / "folder";
    fs::create_directory(folder);
    EXPECT_EQ(file_error([&] { load_server_list(folder); }),
              "Cannot open file \"" + folder.string() + "\". Is a directory");
    EXPECT_EQ(file_error([&] { save_server_list(folder, "a:1\n"); }),
              "Cannot create file \"" + folder.string() + "\". Is a directory");

    // A device that is full: the write is refused, not reported as saved.
    EXPECT_EQ(file_error([] { save_server_list("/dev/full", "a:1\n"); }),
              "Cannot write file \"/dev/full\". No space left on device");
}

TEST(ServerList, AnythingButAFileIsRefusedAtOnceInsteadOfBlockingOrNeverEnding) {
    // A FIFO without a writer would block the open, one without a reader the save; a device
    // such as /dev/zero never ends.
    const fs::path fifo = kvtu::test::sandbox() / "serverlist.dat";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(file_error([&] { load_server_list(fifo); }),
              "Cannot open file \"" + fifo.string() + "\". Invalid argument");
    EXPECT_EQ(file_error([&] { save_server_list(fifo, "a:1\n"); }),
              "Cannot create file \"" + fifo.string() + "\". No such device or address");
    EXPECT_EQ(file_error([] { load_server_list("/dev/zero"); }),
              "Cannot open file \"/dev/zero\". Invalid argument");

    EXPECT_TRUE(list_file_present(fifo));
    EXPECT_TRUE(list_file_present(kvtu::test::sandbox()));
    EXPECT_FALSE(list_file_present((kvtu::test::sandbox() / "missing").string()));
}

TEST(ServerList, TheUsersRightToWriteTheListDecidesNotTheFolders) {
    const User user = ordinary_user();
    fs::permissions(kvtu::test::sandbox(), fs::perms::owner_all | fs::perms::group_read |
                                               fs::perms::group_exec | fs::perms::others_read |
                                               fs::perms::others_exec);
    const fs::path folder = kvtu::test::sandbox() / "dta";
    const fs::path path = folder / "serverlist.dat";
    fs::create_directory(folder);
    write_bytes(path, "old:1\r\n");
    const auto read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const auto writable = read_only | fs::perms::owner_write;
    const auto folder_mode = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                             fs::perms::others_read | fs::perms::others_exec;

    // A list made read-only is refused, although its folder would let a new file replace it.
    give(folder, user, folder_mode);
    give(path, user, read_only);
    EXPECT_EQ(save_as(user, path, "new:1\n"),
              "Cannot create file \"" + path.string() + "\". Permission denied");
    EXPECT_EQ(read_bytes(path), "old:1\r\n");

    // A list that may be written in a folder that may not: written in place, mode kept.
    give(path, user, writable);
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
    const ino_t before = inode_of(path);
    EXPECT_EQ(save_as(user, path, "new:1\nnew:2\n"), "no error");
    EXPECT_EQ(read_bytes(path), "new:1\r\nnew:2\r\n");
    EXPECT_EQ(inode_of(path), before);
    EXPECT_EQ(fs::status(path).permissions(), writable);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
    EXPECT_EQ(save_as(user, path, "x:1"), "no error");
    EXPECT_EQ(read_bytes(path), "x:1");
    // The sandbox is removed after the test, which needs the folder writable again.
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
}

TEST(ServerList, TheFileKeepsItsModeOwnerAndHardLinks) {
    const fs::path path = kvtu::test::sandbox() / "serverlist.dat";
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    write_bytes(path, "old:1\r\n");
    fs::permissions(path, mode);

    // The user's own file with one name is replaced whole, in its mode.
    ino_t before = inode_of(path);
    save_server_list(path, "a:1\n");
    EXPECT_NE(inode_of(path), before);
    EXPECT_EQ(read_bytes(path), "a:1\r\n");
    EXPECT_EQ(fs::status(path).permissions(), mode);

    // With a second name both names keep seeing one list.
    const fs::path other_name = kvtu::test::sandbox() / "shared.dat";
    fs::create_hard_link(path, other_name);
    before = inode_of(path);
    save_server_list(path, "b:2\n");
    EXPECT_EQ(inode_of(path), before);
    EXPECT_EQ(read_bytes(other_name), "b:2\r\n");
    EXPECT_EQ(fs::status(path).permissions(), mode);
    fs::remove(other_name);

    if (geteuid() != 0) return;  // only root can give a file to others
    // Another user's list stays theirs; a group of the list's own is kept by the replacement.
    const User user = ordinary_user();
    ASSERT_EQ(chown(path.c_str(), user.uid, user.gid), 0);
    save_server_list(path, "c:3\n");
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, user.uid);
    EXPECT_EQ(status.st_gid, user.gid);
    EXPECT_EQ(read_bytes(path), "c:3\r\n");
    ASSERT_EQ(chown(path.c_str(), 0, user.gid), 0);
    before = inode_of(path);
    save_server_list(path, "d:4\n");
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_NE(status.st_ino, before);
    EXPECT_EQ(status.st_gid, user.gid);
    EXPECT_EQ(fs::status(path).permissions(), mode);
}

}  // namespace
