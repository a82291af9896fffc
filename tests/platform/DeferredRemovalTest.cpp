#include "platform/DeferredRemoval.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/Programs.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::RemovalCheck;
using testsupport::WriteFile;

class DeferredRemoval : public ::testing::Test {
  protected:
    // An install directory outside the home, with the launcher copy in it.
    fs::path MakeInstallDir(const std::string& name) {
        const fs::path dir = home.Root() / name;
        WriteFile(dir / "Brannoc", "launcher copy");
        WriteFile(dir / "client" / "vorn" / "vorn", "game");
        return dir;
    }
    // Reaps the removal, which is a child of the test until the test ends.
    static bool AwaitRemovalProcess(pid_t pid) {
        const bool ended = testsupport::WaitForProcessEnd(pid, 20s);
        if (ended) {
            waitpid(pid, nullptr, 0);
        }
        return ended;
    }

    testsupport::TempHome home;
};

TEST_F(DeferredRemoval, OnlyAFolderMarkedAsTheLaunchersAwayFromHomeAndRootsIsAllowed) {
    const fs::path install = MakeInstallDir("games/vorn-lunet");
    const fs::path empty = home.Root() / "empty";
    fs::create_directories(empty);
    WriteFile(home.Root() / "dirmark" / "Brannoc" / "x", "a folder where the copy should be");
    fs::create_directories(home.Root() / "linkmark");
    fs::create_symlink(install / "Brannoc", home.Root() / "linkmark" / "Brannoc");
    fs::create_symlink(install, home.Root() / "link-to-install");
    fs::create_symlink(home.Home(), home.Root() / "link-to-home");
    WriteFile(home.Home() / "Brannoc", "a copy in the home itself");
    WriteFile(home.Home() / "games" / "vorn-lunet" / "Brannoc", "an installation in the home");

    struct Case {
        fs::path directory;
        RemovalCheck expected;
    } cases[] = {
        {install, RemovalCheck::Allowed},
        {install.string() + "/", RemovalCheck::Allowed},
        {home.Home() / "games" / "vorn-lunet", RemovalCheck::Allowed},
        {"/", RemovalCheck::FileSystemRoot},
        {"/proc", RemovalCheck::FileSystemRoot},
        {home.Home(), RemovalCheck::HomeOrAncestor},
        {home.Home().string() + "/", RemovalCheck::HomeOrAncestor},
        {home.Home() / "games" / "..", RemovalCheck::HomeOrAncestor},
        {home.Root(), RemovalCheck::HomeOrAncestor},
        {home.Root() / "link-to-home", RemovalCheck::HomeOrAncestor},
        {"", RemovalCheck::NotAbsolute},
        {"games/vorn-lunet", RemovalCheck::NotAbsolute},
        {home.Root() / "missing", RemovalCheck::NotADirectory},
        {install / "Brannoc", RemovalCheck::NotADirectory},
        {home.Root() / "link-to-install", RemovalCheck::NotADirectory},
        {empty, RemovalCheck::NoRequiredEntry},
        {home.Root() / "dirmark", RemovalCheck::NoRequiredEntry},
        {home.Root() / "linkmark", RemovalCheck::NoRequiredEntry},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::CheckRemovableDirectory(c.directory, home.Home(), "Brannoc"),
                  c.expected)
            << c.directory;
    }
    const auto refused = platform::ScheduleDirectoryRemoval(
        {.directory = home.Home(), .home = home.Home(), .requiredEntry = "Brannoc", .waitFor = 1});
    EXPECT_EQ(refused.check, RemovalCheck::HomeOrAncestor);
    EXPECT_FALSE(refused.started);
    EXPECT_TRUE(fs::exists(home.Home() / "Brannoc"));
}

TEST_F(DeferredRemoval, WaitsForTheProcessThenRemovesExactlyTheNamedFolder) {
    // Every character here means something to a shell; a path spliced into script text would
    // end the removal through its commands, or hit the decoys beside it.
    const std::string name = "vorn 'lunet' \"x\" $(kill -9 $$) `kill -9 $$` $HOME ;\nrm -rf keep";
    const fs::path install = MakeInstallDir(name);
    fs::create_symlink(home.Home(), install / "link-to-home");
    WriteFile(home.Root() / "vorn" / "decoy", "the text before the first blank");
    WriteFile(home.Root() / "keep" / "decoy", "the text after the line break");
    WriteFile(home.Home() / "mine", "the user's");

    testsupport::ChildProgram launcher({"sleep", "60"});
    ASSERT_TRUE(launcher.Started());
    int inheritable[2];  // a pipe that a reader would wait on until every writer has gone
    ASSERT_EQ(pipe(inheritable), 0);
    const auto removal = platform::ScheduleDirectoryRemoval({.directory = install,
                                                             .home = home.Home(),
                                                             .requiredEntry = "Brannoc",
                                                             .waitFor = launcher.Pid(),
                                                             .longestWait = 60s});
    close(inheritable[0]);
    close(inheritable[1]);
    ASSERT_EQ(removal.check, RemovalCheck::Allowed);
    ASSERT_TRUE(removal.started) << removal.error;

    // Detached: its own session, and nothing open but /dev/null (and, for a moment, the stat
    // file of the process it watches).
    EXPECT_EQ(getsid(removal.pid), removal.pid);
    std::error_code error;
    for (const auto& fd :
         fs::directory_iterator(fs::path("/proc") / std::to_string(removal.pid) / "fd", error)) {
        const std::string target = fs::read_symlink(fd.path(), error).string();
        EXPECT_TRUE(error || target == "/dev/null" || target.starts_with("/proc/"))
            << fd.path().filename() << " -> " << target;
    }

    EXPECT_FALSE(testsupport::WaitForProcessEnd(removal.pid, 500ms))
        << "removed while the process it waits for still runs";
    EXPECT_TRUE(fs::exists(install / "Brannoc"));

    // Killed and not reaped: a zombie has ended as far as its files go.
    kill(launcher.Pid(), SIGKILL);
    ASSERT_TRUE(AwaitRemovalProcess(removal.pid));
    EXPECT_FALSE(fs::exists(fs::symlink_status(install)));
    EXPECT_EQ(testsupport::ReadFile(home.Root() / "vorn" / "decoy"),
              "the text before the first blank");
    EXPECT_TRUE(fs::exists(home.Root() / "keep" / "decoy"));
    EXPECT_EQ(testsupport::ReadFile(home.Home() / "mine"), "the user's");
}

TEST_F(DeferredRemoval, GoesAheadWhenTheProcessOutlivesTheLongestWait) {
    const fs::path install = MakeInstallDir("vorn-lunet");
    testsupport::ChildProgram launcher({"sleep", "60"});
    ASSERT_TRUE(launcher.Started());
    const auto removal = platform::ScheduleDirectoryRemoval({.directory = install,
                                                             .home = home.Home(),
                                                             .requiredEntry = "Brannoc",
                                                             .waitFor = launcher.Pid(),
                                                             .longestWait = 300ms});
    ASSERT_TRUE(removal.started);
    ASSERT_TRUE(AwaitRemovalProcess(removal.pid));
    EXPECT_FALSE(fs::exists(install));
    EXPECT_EQ(kill(launcher.Pid(), 0), 0) << "the process was still running";
}

}  // namespace
