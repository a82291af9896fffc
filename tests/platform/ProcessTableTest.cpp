#include "platform/ProcessTable.h"

#include <gtest/gtest.h>

#include "platform/SelfPath.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using platform::FindProcessByName;
using platform::ProcessLookup;

class FakeProc : public ::testing::Test {
  protected:
    void SetUp() override {
        proc = home.Root() / "proc";
        fs::create_directories(proc / "self");
        AddByLink("100", "/opt/game/client/vorn/vorn");
        AddByLink("101", "/home/u/vorn-lunet/Brannoc");
        AddByLink("102", "/usr/bin/vorn-helper (deleted)");
        // No readable link (another user's process): argv[0] decides.
        fs::create_directories(proc / "103");
        testsupport::WriteFile(proc / "103/cmdline", std::string("/usr/lib/Vorn\0--x\0", 18));
        // A non-process folder whose link would match must be ignored.
        fs::create_symlink("/x/lonely", proc / "self/exe");
    }
    void AddByLink(const std::string& pid, const std::string& target) {
        fs::create_directories(proc / pid);
        fs::create_symlink(target, proc / pid / "exe");
    }
    testsupport::TempHome home;
    fs::path proc;
};

TEST_F(FakeProc, MatchesWholeFileNamesExactly) {
    struct Case {
        const char* name;
        ProcessLookup expected;
    } cases[] = {
        {"vorn", ProcessLookup::Found},        {"Brannoc", ProcessLookup::Found},
        {"vorn-helper", ProcessLookup::Found},  // replaced binary, still running
        {"Vorn", ProcessLookup::Found},         // through argv[0]
        {"VORN", ProcessLookup::NotFound},     {"vor", ProcessLookup::NotFound},
        {"vorn.exe", ProcessLookup::NotFound}, {"lonely", ProcessLookup::NotFound},
        {"", ProcessLookup::NotFound},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindProcessByName(c.name, proc), c.expected) << c.name;
    }
}

TEST_F(FakeProc, UnreadableTableIsReported) {
    EXPECT_EQ(FindProcessByName("vorn", home.Root() / "no-proc"), ProcessLookup::Unreadable);
}

TEST(ProcessTable, FindsThisTestOnTheRealTable) {
    EXPECT_EQ(FindProcessByName(platform::OwnExecutablePath().filename().string()),
              ProcessLookup::Found);
    EXPECT_EQ(FindProcessByName("no-such-program-name-x7"), ProcessLookup::NotFound);
}

}  // namespace
