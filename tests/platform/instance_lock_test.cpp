#include "platform/instance_lock.h"
#include "tests/support/temp_dir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tarnel::platform {
namespace {

using Result = InstanceLock::Result;

// What a fresh process gets when it tries the lock: the exit code of a forked child.
Result tryInAnotherProcess(const std::filesystem::path& file) {
    pid_t child = fork();
    if (child == 0) {
        InstanceLock lock;
        _exit(static_cast<int>(lock.acquire(file)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return static_cast<Result>(WEXITSTATUS(status));
}

TEST(InstanceLockTest, OneHolderAtATimeAcrossProcesses) {
    test::TempDir dir;
    InstanceLock first;
    ASSERT_EQ(first.acquire(dir / "Tarnel"), Result::Acquired);
    EXPECT_EQ(first.acquire(dir / "Tarnel"), Result::Acquired);
    EXPECT_EQ(tryInAnotherProcess(dir / "Tarnel"), Result::Held);
    InstanceLock second;
    EXPECT_EQ(second.acquire(dir / "Tarnel"), Result::Held);
    EXPECT_FALSE(second.held());
}

TEST(InstanceLockTest, AMissingFolderCannotBeOpened) {
    test::TempDir dir;
    InstanceLock lock;
    EXPECT_EQ(lock.acquire(dir / "gone" / "Tarnel"), Result::CannotOpen);
}

TEST(InstanceLockTest, AKilledHolderFreesTheLock) {
    test::TempDir dir;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0) {
        InstanceLock lock;
        char held = lock.acquire(dir / "Tarnel") == Result::Acquired ? 'y' : 'n';
        (void)!write(ready[1], &held, 1);
        pause();
        _exit(0);
    }
    char held = 0;
    ASSERT_EQ(read(ready[0], &held, 1), 1);
    EXPECT_EQ(held, 'y');
    InstanceLock lock;
    EXPECT_EQ(lock.acquire(dir / "Tarnel"), Result::Held);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_EQ(lock.acquire(dir / "Tarnel"), Result::Acquired);
    close(ready[0]);
    close(ready[1]);
}

TEST(InstanceLockTest, AChildProgramNeverKeepsTheLock) {
    test::TempDir dir;
    pid_t sleeper = 0;
    {
        InstanceLock lock;
        ASSERT_EQ(lock.acquire(dir / "Tarnel"), Result::Acquired);
        char sleepName[] = "sleep";
        char seconds[] = "30";
        char* argv[] = {sleepName, seconds, nullptr};
        ASSERT_EQ(posix_spawnp(&sleeper, "sleep", nullptr, nullptr, argv, environ), 0);
    }
    EXPECT_EQ(tryInAnotherProcess(dir / "Tarnel"), Result::Acquired);
    kill(sleeper, SIGKILL);
    waitpid(sleeper, nullptr, 0);
}

} // namespace
} // namespace tarnel::platform
