#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "support/TempHome.h"

extern char** environ;

namespace {
using platform::InstanceLock;
using State = platform::InstanceLock::State;

TEST(InstanceLock, PathPrefersTheRuntimeFolder) {
    platform::UserLocations loc;
    loc.runtimeDir = "/run/user/1000";
    EXPECT_EQ(InstanceLock::PathFor(loc, "Brannoc"), "/run/user/1000/Brannoc.lock");
    loc.runtimeDir.clear();
    EXPECT_EQ(InstanceLock::PathFor(loc, "Brannoc"),
              "/tmp/Brannoc-" + std::to_string(getuid()) + ".lock");
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstReleases) {
    testsupport::TempHome home;
    const auto path = home.RuntimeDir() / "Brannoc.lock";
    InstanceLock first = InstanceLock::TryAcquire(path);
    ASSERT_EQ(first.GetState(), State::Acquired);
    EXPECT_EQ(InstanceLock::TryAcquire(path).GetState(), State::HeldElsewhere);
    first.Release();
    EXPECT_EQ(InstanceLock::TryAcquire(path).GetState(), State::Acquired);
}

TEST(InstanceLock, MissingFolderMeansTheRuleCannotApply) {
    testsupport::TempHome home;
    EXPECT_EQ(InstanceLock::TryAcquire(home.Root() / "no/such/dir/x.lock").GetState(),
              State::Unavailable);
}

// A child started while the lock is held (the game) must not keep the lock alive.
TEST(InstanceLock, ChildProcessesDoNotInheritTheLock) {
    testsupport::TempHome home;
    const auto path = home.RuntimeDir() / "Brannoc.lock";
    InstanceLock lock = InstanceLock::TryAcquire(path);
    ASSERT_TRUE(lock.Held());
    pid_t child = 0;
    const char* argv[] = {"sleep", "30", nullptr};
    ASSERT_EQ(posix_spawnp(&child, "sleep", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    lock.Release();
    const State state = InstanceLock::TryAcquire(path).GetState();
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(state, State::Acquired);
}

}  // namespace
