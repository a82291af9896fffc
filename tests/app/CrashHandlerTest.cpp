// Crash reports from child processes that really crash.
#include "app/CrashHandler.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;

// A page that faults on any access, so the crash is a real fault (and not one a sanitizer
// would catch first).
volatile char* ForbiddenPage() {
    void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return static_cast<volatile char*>(page);
}

volatile int g_depthLimit = 1 << 30;  // never reached: the stack ends first

int Recurse(int depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    if (depth >= g_depthLimit) {
        return frame[0];
    }
    return Recurse(depth + 1) + frame[0];
}

// Runs `crash` in a child that has the handler installed with `prefix`; returns the wait
// status. `traced` has the parent trace the child, as a debugger would.
int CrashChild(const std::string& prefix, void (*crash)(), bool traced = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (traced) {
            ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
            raise(SIGSTOP);
        }
        g_strDumpPrefix = prefix;
        if (!InstallCrashHandler()) {
            _exit(90);
        }
        crash();
        _exit(91);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
        // Hand every signal on, as a debugger that lets the program continue does.
        const int signal = WSTOPSIG(status) == SIGSTOP ? 0 : WSTOPSIG(status);
        ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<intptr_t>(signal)));
    }
    return status;
}

std::vector<fs::path> Reports(const fs::path& dir) {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(dir)) {
        found.push_back(entry.path());
    }
    return found;
}

volatile char* g_page = nullptr;

TEST(CrashHandler, AFaultWritesAReportUnderTheDumpNameThenKillsTheProcess) {
    testsupport::TempHome home;
    const fs::path dir = home.Root() / "vorn-lunet";
    fs::create_directories(dir);
    g_page = ForbiddenPage();
    const std::time_t before = std::time(nullptr);
    const int status = CrashChild((dir / "Brannoc").string(), [] { g_page[16] = 1; });
    const std::time_t after = std::time(nullptr);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    const auto reports = Reports(dir);
    ASSERT_EQ(reports.size(), 1u);
    // Named after the local time of the crash.
    bool named = false;
    for (std::time_t t = before; t <= after; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        named = named || reports[0] == CrashReportName((dir / "Brannoc").string(), local);
    }
    EXPECT_TRUE(named) << reports[0];
    const std::string report = testsupport::ReadFile(reports[0]);
    std::ostringstream address;
    address << "fault address 0x" << std::hex << reinterpret_cast<std::uintptr_t>(g_page + 16)
            << "\n";
    EXPECT_EQ(report.rfind("signal 11 (SIGSEGV)\n", 0), 0u) << report.substr(0, 200);
    EXPECT_NE(report.find(address.str()), std::string::npos) << report.substr(0, 200);
    EXPECT_NE(report.find("\nthread "), std::string::npos);
    EXPECT_NE(report.find("\nbacktrace:\n"), std::string::npos);
    EXPECT_NE(report.find("startup_tests"), std::string::npos) << "the maps name the program";
    EXPECT_NE(report.find("[stack]"), std::string::npos);
}

TEST(CrashHandler, OtherSignalsAndAStackOverflowAreReportedToo) {
    struct Case {
        const char* what;
        void (*crash)();
        int signal;
        const char* first;
    } cases[] = {
        {"abort on another thread",
         [] {
             std::thread([] {
                 PrepareThreadForCrashReports();
                 std::abort();
             }).join();
         },
         SIGABRT, "signal 6 (SIGABRT)\n"},
        {"stack overflow", [] { Recurse(0); }, SIGSEGV, "signal 11 (SIGSEGV)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempHome home;
        const int status = CrashChild((home.Root() / "Brannoc").string(), c.crash);
        ASSERT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), c.signal);
        const auto reports = Reports(home.Root());
        const auto report = std::find_if(reports.begin(), reports.end(),
                                         [](const fs::path& p) { return p.extension() == ".dmp"; });
        ASSERT_NE(report, reports.end());
        EXPECT_EQ(testsupport::ReadFile(*report).rfind(c.first, 0), 0u);
    }
}

TEST(CrashHandler, NothingIsWrittenUnderADebugger) {
    testsupport::TempHome home;
    const fs::path dir = home.Root() / "dumps";
    fs::create_directories(dir);
    g_page = ForbiddenPage();
    const int status = CrashChild((dir / "Brannoc").string(), [] { g_page[0] = 1; }, true);
    ASSERT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);
    EXPECT_TRUE(Reports(dir).empty());
}

TEST(CrashHandler, RestoringPutsTheFormerHandlerBack) {
    struct sigaction before {};
    sigaction(SIGSEGV, nullptr, &before);
    g_strDumpPrefix = "/nonexistent/x";
    ASSERT_TRUE(InstallCrashHandler());
    struct sigaction during {};
    sigaction(SIGSEGV, nullptr, &during);
    EXPECT_NE(during.sa_sigaction, before.sa_sigaction);
    RestoreCrashHandler();
    struct sigaction after {};
    sigaction(SIGSEGV, nullptr, &after);
    EXPECT_EQ(after.sa_sigaction, before.sa_sigaction);
}

}  // namespace
