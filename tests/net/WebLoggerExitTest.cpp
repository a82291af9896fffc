// A report still under way when the process exits gets its time to leave, and no longer.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <future>

#include "support/LoopbackServer.h"
#include "support/TempHome.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct ChildEnd {
    bool ended = false;
    int status = -1;
    Clock::duration took{};
};

// Runs the exit child on `url`; kills it if it has not ended within `bound`.
ChildEnd RunExitChild(const std::string& url, std::chrono::seconds bound = 20s) {
    std::string program = NET_EXIT_CHILD;
    char* argv[] = {program.data(), const_cast<char*>(url.c_str()), nullptr};
    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        ADD_FAILURE() << "cannot start " << program;
        return {};
    }
    auto reaped = std::async(std::launch::async, [pid] {
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    });
    ChildEnd end;
    if (reaped.wait_for(bound) != std::future_status::ready) {
        kill(pid, SIGKILL);
        reaped.get();
        return end;
    }
    end.status = reaped.get();
    end.took = Clock::now() - start;
    end.ended = true;
    return end;
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
    // It waited for the report (the exit began after the start), then gave it up.
    EXPECT_GE(end.took, 3000ms);
    EXPECT_LT(end.took, 3500ms);

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
    const ChildEnd end = RunExitChild("http://127.0.0.1:" +
                                      std::to_string(testsupport::UnusedLoopbackPort()) +
                                      "/api/laucher_info.php");
    ASSERT_TRUE(end.ended) << "still running after 20 s";
    EXPECT_TRUE(WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0) << end.status;
    EXPECT_LT(end.took, 3500ms);
}

}  // namespace
