#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "hive_test_files.h"
#include "platform/core/registry.h"
#include "platform/core/settings_names.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

struct Child {
    pid_t pid = -1;
    int status = -1;
    bool done = false;
};

Child spawn(const std::vector<std::string>& arguments, const std::filesystem::path& output) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(KVTU_REGISTRY_HAMMER));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Child child;
    EXPECT_EQ(posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// Whether the child has ended (or never started); does not wait.
bool ended(Child& child) {
    if (!child.done && child.pid > 0) {
        child.done = waitpid(child.pid, &child.status, WNOHANG) == child.pid;
    }
    return child.done || child.pid <= 0;
}

// Waits for every child until the deadline; kills those still running then.
bool wait_all(std::vector<Child*> children, std::chrono::steady_clock::duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        bool all_done = true;
        for (Child* child : children) all_done = ended(*child) && all_done;
        if (all_done) return true;
        if (std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(10ms);
    }
    for (Child* child : children) {
        if (!child->done && child->pid > 0) {
            kill(child->pid, SIGKILL);
            waitpid(child->pid, &child->status, 0);
        }
    }
    return false;
}

bool succeeded(const Child& child) {
    return child.done && WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0;
}

TEST(SettingsStoreReliability, ConcurrentWritersLoseNothingAndReadersNeverSeeATornFile) {
    constexpr int writes_each = 300;
    const std::vector<std::string> names = {"hammer_a", "hammer_b", "hammer_c"};
    {
        kvtu::Registry registry;
        ASSERT_TRUE(registry.open_key(kvtu::settings::launcher_key, true));
    }
    const std::filesystem::path sandbox = kvtu::test::sandbox();
    const std::filesystem::path stop_file = sandbox / "stop";
    const std::filesystem::path ready_file = sandbox / "ready";

    std::vector<std::string> reader_arguments = {"read", ready_file.string(), stop_file.string()};
    reader_arguments.insert(reader_arguments.end(), names.begin(), names.end());
    Child reader = spawn(reader_arguments, sandbox / "reader.out");
    // The writers start only once the reader is reading, however slowly the processes start.
    const auto ready_deadline = std::chrono::steady_clock::now() + 20s;
    while (!std::filesystem::exists(ready_file) && !ended(reader) &&
           std::chrono::steady_clock::now() < ready_deadline) {
        std::this_thread::sleep_for(10ms);
    }
    if (!std::filesystem::exists(ready_file)) {
        wait_all({&reader}, 0s);
        FAIL() << "the reader did not start reading";
    }
    std::vector<Child> writers;
    for (const std::string& name : names) {
        writers.push_back(
            spawn({"write", name, std::to_string(writes_each)}, sandbox / (name + ".out")));
    }
    std::vector<Child*> writer_pointers;
    for (Child& writer : writers) writer_pointers.push_back(&writer);
    bool writers_finished = wait_all(writer_pointers, 80s);
    std::ofstream(stop_file) << "stop";
    bool reader_finished = wait_all({&reader}, 10s);

    ASSERT_TRUE(writers_finished) << "the writers did not finish in time";
    ASSERT_TRUE(reader_finished) << "the reader did not stop";
    for (const Child& writer : writers) EXPECT_TRUE(succeeded(writer));
    EXPECT_TRUE(succeeded(reader)) << "the reader saw a torn file or a lost write";
    EXPECT_GT(std::stol("0" + kvtu::test::file_bytes(sandbox / "reader.out")), 0);

    kvtu::Registry registry;
    ASSERT_TRUE(registry.open_key(kvtu::settings::launcher_key, false));
    for (const std::string& name : names) {
        EXPECT_EQ(registry.read_string(name), std::to_string(writes_each)) << name;
    }
}

}  // namespace
