// A report still under way when the process exits gets its time to leave, and no longer.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <future>
#include <optional>

#include "support/LoopbackServer.h"
#include "support/TempHome.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct ChildEnd {
    bool ended = false;
    int status = -1;
    bool announcedExit = false;
    Clock::duration exitTook{};  // from its call of exit() to its end
};

// Runs the exit child on `url`; kills it if it has not ended within `bound`. The child says
// "exiting" on its standard output just before it calls exit().
ChildEnd RunExitChild(const std::string& url, std::chrono::seconds bound = 20s) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe";
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::string program = NET_EXIT_CHILD;
    char* argv[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        ADD_FAILURE() << "cannot start " << program;
        return {};
    }
    auto ended = std::async(std::launch::async, [pid, fd = out[0]] {
        ChildEnd end;
        std::optional<Clock::time_point> exiting;
        std::string said;
        char buffer[256];
        ssize_t n = 0;
        while ((n = read(fd, buffer, sizeof buffer)) > 0) {  // until the child has gone
            said.append(buffer, static_cast<size_t>(n));
            if (!exiting && said.find("exiting\n") != std::string::npos) {
                exiting = Clock::now();
            }
        }
        close(fd);
        waitpid(pid, &end.status, 0);
        end.ended = true;
        end.announcedExit = exiting.has_value();
        if (exiting) {
            end.exitTook = Clock::now() - *exiting;
        }
        return end;
    });
    if (ended.wait_for(bound) != std::future_status::ready) {
        kill(pid, SIGKILL);
        ended.get();
        return {};
    }
    return ended.get();
}

TEST(WebLoggerExit, AReportToAHangingServerLeavesYetTheProcessEndsWithinItsGrace) {
    testsupport::TempHome home;
    std::promise<bool> abandoned;
    testsupport::LoopbackServer server(
        [&](const testsupport::HttpRequest&, testsupport::HttpConnection& c) {
            abandoned.set_value(c.WaitForPeerClose(20s));  // accepts, never answers
        });
    const ChildEnd end = RunExitChild(server.Url("/api/laucher_info.php"));
    ASSERT_TRUE(end.ended) << "still running after 20 s";
    EXPECT_TRUE(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0) << end.status;
    ASSERT_TRUE(end.announcedExit);
    // It waited for the report, then gave it up.
    EXPECT_GE(end.exitTook, 2900ms);
    EXPECT_LT(end.exitTook, 3500ms);

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].target.starts_with("/api/laucher_info.php?client_uid="));
    EXPECT_TRUE(requests[0].target.ends_with("&ac=game_start")) << requests[0].target;
    auto closed = abandoned.get_future();
    ASSERT_EQ(closed.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(closed.get());
}

TEST(WebLoggerExit, AReportToADeadServerDoesNotHoldTheProcess) {
    testsupport::TempHome home;
    const ChildEnd end =
        RunExitChild("http://127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort()) +
                     "/api/laucher_info.php");
    ASSERT_TRUE(end.ended) << "still running after 20 s";
    EXPECT_TRUE(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0) << end.status;
    ASSERT_TRUE(end.announcedExit);
    EXPECT_LT(end.exitTook, 3500ms);
}

}  // namespace
