#include "platform/core/named_mutex.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "test_environment.h"

namespace kvtu {
namespace {

// The outcome of taking the mutex in a child process, so that the lock really is another
// process's.
NamedMutex::Outcome outcome_in_child(const std::string& name) {
    const pid_t child = fork();
    if (child == 0) {
        NamedMutex mutex(name);
        _exit(static_cast<int>(mutex.outcome()));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<NamedMutex::Outcome>(WEXITSTATUS(status));
}

TEST(NamedMutexTest, SecondHolderSeesAlreadyExistsUntilTheFirstGoes) {
    {
        NamedMutex first("Programmname");
        ASSERT_EQ(first.outcome(), NamedMutex::Outcome::created);
        EXPECT_EQ(outcome_in_child("Programmname"), NamedMutex::Outcome::already_exists);
        EXPECT_EQ(outcome_in_child("Anderer"), NamedMutex::Outcome::created);
    }
    EXPECT_EQ(outcome_in_child("Programmname"), NamedMutex::Outcome::created);
}

TEST(NamedMutexTest, LockFileLiesInTheRuntimeFolderOrTmp) {
    EXPECT_EQ(NamedMutex::lock_file_path("Programmname"),
              (test::runtime_dir() / "Programmname.lock").string());
    NamedMutex mutex("Programmname");
    EXPECT_TRUE(std::filesystem::exists(test::runtime_dir() / "Programmname.lock"));

    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(NamedMutex::lock_file_path("Programmname"),
              "/tmp/Programmname-" + std::to_string(getuid()) + ".lock");
}

TEST(NamedMutexTest, AnUnusableLockFileMeansNoGuard) {
    setenv("XDG_RUNTIME_DIR", (test::sandbox() / "missing" / "folder").c_str(), 1);
    NamedMutex mutex("Programmname");
    EXPECT_EQ(mutex.outcome(), NamedMutex::Outcome::failed);
}

TEST(NamedMutexTest, ALockFileOfAnotherUserIsNoMutexEvenWhenLocked) {
    if (geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    const std::string path = NamedMutex::lock_file_path("Programmname");
    const int planted = open(path.c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(planted, 0);
    ASSERT_EQ(fchown(planted, 65534, 65534), 0);
    ASSERT_EQ(flock(planted, LOCK_EX | LOCK_NB), 0);
    // The program then runs without a guard rather than never starting.
    EXPECT_EQ(outcome_in_child("Programmname"), NamedMutex::Outcome::failed);
    close(planted);
}

}  // namespace
}  // namespace kvtu
