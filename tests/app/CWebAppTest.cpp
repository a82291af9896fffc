#include "app/CWebApp.h"

#include <gtest/gtest.h>

#include "app/CLocalLog.h"
#include "app/CommandLine.h"
#include "app/CrashHandler.h"
#include "platform/UninstallKey.h"
#include "support/Recorders.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

class RecordingShell : public IApplicationShell {
  public:
    void RunUpdateWindow(CWebApp& app) override {
        ++windows;
        installDirSeen = app.m_strInstallDir;
    }
    int windows = 0;
    fs::path installDirSeen;
};

// A launcher at <root>/games/<name> in a private home, with a fake process table.
class Startup : public ::testing::Test {
  protected:
    Startup() {
        fs::create_directories(proc);
        WriteFile(games / "Brannoc", "the launcher");
    }

    WebAppServices Services(std::vector<std::string> arguments = {"Brannoc"}) {
        WebAppServices services{
            .reporter = reporter,
            .messageBox = boxes,
            .shell = shell,
            .locations = platform::CurrentUserLocations(),
            .ownExecutable = games / "Brannoc",
            .arguments = std::move(arguments),
            .procRoot = proc,
            .crashReports = false,
            .unInstall = [this](CWebApp&) { ++uninstalls; },
        };
        return services;
    }
    void SetInstallPath(const std::string& value) {
        auto key = platform::UninstallKey::ForUser(platform::CurrentUserLocations());
        ASSERT_EQ(key.CreateKey(), 0);
        ASSERT_EQ(key.SetValue("InstallPath", value), 0);
    }
    void AddProcess(const std::string& pid, const std::string& exe) {
        fs::create_directories(proc / pid);
        fs::create_symlink(exe, proc / pid / "exe");
    }

    testsupport::TempHome home;
    fs::path games = home.Root() / "games";
    fs::path proc = home.Root() / "proc";
    testsupport::RecordingReporter reporter;
    testsupport::ScriptedMessageBox boxes;
    RecordingShell shell;
    int uninstalls = 0;
};

TEST(CommandLine, OnlyTheWholeTailInAnyCaseIsTheUninstallSwitch) {
    struct Case {
        std::vector<std::string> argv;
        bool uninstall;
    } cases[] = {
        {{"Brannoc", "/uninstall"}, true},         {{"Brannoc", "/UnInstall"}, true},
        {{"setup", "/UNINSTALL"}, true},           {{"Brannoc"}, false},
        {{"Brannoc", "/uninstall", ""}, false},  // "/uninstall " with its blank
        {{"Brannoc", "/uninstall", "now"}, false}, {{"Brannoc", "/uninstall now"}, false},
        {{"Brannoc", "-uninstall"}, false},        {{"Brannoc", "/uninstal"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsUninstallCommand(CommandLineTail(c.argv)), c.uninstall)
            << "\"" << CommandLineTail(c.argv) << "\"";
    }
    EXPECT_EQ(CommandLineTail({"x", "a b", "c"}), "a b c");
}

TEST_F(Startup, AFirstStartMakesTheDefaultFoldersBesideTheLauncherAndRunsTheWindow) {
    CWebApp app(Services());
    EXPECT_EQ(app.Run(), StartupDecision::Run);
    EXPECT_EQ(app.m_strInstallDir, games / "vorn-lunet");
    EXPECT_EQ(app.m_strClientDir, games / "vorn-lunet" / "client");
    EXPECT_TRUE(fs::is_directory(app.m_strClientDir));
    EXPECT_EQ(g_strDumpPrefix, (games / "vorn-lunet" / "Brannoc").string());
    EXPECT_EQ(shell.windows, 1);
    EXPECT_EQ(reporter.Calls(), (std::vector<std::string>{"event:1", "log:launcher start"}));
    EXPECT_TRUE(boxes.ShownBoxes().empty());
    const std::string log = testsupport::LogText();
    const size_t install = log.find("[INFO][CWebApp::InitApplication::");
    ASSERT_NE(install, std::string::npos) << log;
    EXPECT_NE(log.find("] " + (games / "vorn-lunet").string() + "\r\n", install),
              std::string::npos);
    EXPECT_NE(log.find("] " + (games / "vorn-lunet" / "client").string() + "\r\n", install),
              std::string::npos);
    EXPECT_NE(log.find("[INFO][CWebApp::InitInstance::"), std::string::npos);
    EXPECT_NE(log.find("] Laucher Start\r\n"), std::string::npos);
    // The missing uninstall entry is logged by the lookup.
    EXPECT_NE(log.find("[QueryRegistryKey lret:2 error:2]"), std::string::npos);
    app.OnWndDestroy();
    EXPECT_NE(testsupport::LogText().find("[INFO][CWebApp::OnWndDestroy::"), std::string::npos);
    EXPECT_NE(testsupport::LogText().find("] wnd destory\r\n"), std::string::npos);
}

TEST_F(Startup, TheRecordedInstallPathIsUsedAndMadeOneLevelDeep) {
    struct Case {
        const char* what;
        std::string installPath;
        fs::path expected;
    } cases[] = {
        {"missing folder", (home.Root() / "Lib" / "vorn").string(), home.Root() / "Lib" / "vorn"},
        {"trailing slash", (home.Root() / "Lib" / "x/").string(), home.Root() / "Lib" / "x"},
        {"empty value", "", games / "vorn-lunet"},
    };
    fs::create_directories(home.Root() / "Lib");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetInstallPath(c.installPath);
        CWebApp app(Services());
        ASSERT_TRUE(app.InitApplication());
        EXPECT_EQ(app.m_strInstallDir, c.expected);
        EXPECT_TRUE(fs::is_directory(c.expected / "client"));
    }
}

TEST_F(Startup, FoldersThatCannotBeMadeEndTheStartWithTheErrorCode) {
    // Its parent is missing too: only one level is made.
    SetInstallPath((home.Root() / "no" / "such" / "vorn").string());
    CWebApp app(Services({"setup"}));
    EXPECT_EQ(app.Run(), StartupDecision::Failed);
    ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
    EXPECT_EQ(boxes.ShownBoxes()[0].text, "创建数据目录失败,错误id:2");
    EXPECT_EQ(boxes.ShownBoxes()[0].caption, "Brannoc") << "the application name";
    EXPECT_EQ(boxes.ShownBoxes()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(reporter.Calls().back(), "log:创建数据目录失败,错误id:2");
    EXPECT_EQ(shell.windows, 0);
    EXPECT_TRUE(g_strDumpPrefix.empty());

    // A file in the install folder's place.
    SetInstallPath((home.Root() / "inst").string());
    WriteFile(home.Root() / "inst", "a file");
    CWebApp second(Services());
    EXPECT_FALSE(second.InitApplication());
    EXPECT_EQ(boxes.ShownBoxes().back().text, "创建数据目录失败,错误id:20");
}

TEST_F(Startup, ASecondLauncherIsRefusedAndLeavesTheRunningOnesLogAlone) {
    const auto lockFile =
        platform::InstanceLock::PathFor(platform::CurrentUserLocations(), "Brannoc");
    auto running = platform::InstanceLock::TryAcquire(lockFile);
    ASSERT_TRUE(running.Held());
    WriteFile(CLocalLog::DefaultPath(), "the running launcher's log\r\n");

    CWebApp app(Services());
    EXPECT_EQ(app.Run(), StartupDecision::Refused);
    EXPECT_EQ(app.InstanceLockState(), platform::InstanceLock::State::HeldElsewhere);
    ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
    EXPECT_EQ(boxes.ShownBoxes()[0].text, "游戏已启动");
    EXPECT_EQ(boxes.ShownBoxes()[0].caption, "Brannoc");
    EXPECT_EQ(boxes.ShownBoxes()[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(shell.windows, 0);
    EXPECT_EQ(reporter.Calls(), (std::vector<std::string>{"event:1", "log:launcher start"}));
    EXPECT_EQ(ReadFile(CLocalLog::DefaultPath()), "the running launcher's log\r\n");
}

TEST_F(Startup, ARunningGameRefusesTheStartUnderTheLaunchersOwnName) {
    AddProcess("10", "/opt/x/Vorn");
    AddProcess("11", (games / "vorn-lunet" / "Brannoc").string());
    {
        CWebApp app(Services());
        EXPECT_EQ(app.Run(), StartupDecision::Run) << "neither the launcher nor another case";
    }
    AddProcess("12", (games / "vorn-lunet" / "client" / "vorn" / "vorn").string());
    CWebApp app(Services());
    EXPECT_EQ(app.Run(), StartupDecision::Refused);
    EXPECT_EQ(boxes.ShownBoxes().back().text, "游戏已启动");
    EXPECT_EQ(shell.windows, 1);
}

TEST_F(Startup, AnUnreadableProcessTableCountsAsARunningGame) {
    WebAppServices services = Services();
    services.procRoot = home.Root() / "no-proc";
    CWebApp app(std::move(services));
    EXPECT_EQ(app.Run(), StartupDecision::Refused);
    EXPECT_NE(testsupport::LogText().find("[ERROR][CWebApp::IsGameRunning::"), std::string::npos);
    EXPECT_NE(testsupport::LogText().find("][get snapshot error]\r\n"), std::string::npos);
}

TEST_F(Startup, UninstallRunsTheWholeStartUpFirstAndNoWindow) {
    const auto lockFile =
        platform::InstanceLock::PathFor(platform::CurrentUserLocations(), "Brannoc");
    auto running = platform::InstanceLock::TryAcquire(lockFile);
    CWebApp app(Services({"Brannoc", "/Uninstall"}));
    EXPECT_EQ(app.Run(), StartupDecision::Uninstall);
    EXPECT_EQ(uninstalls, 1);
    EXPECT_EQ(shell.windows, 0);
    EXPECT_TRUE(boxes.ShownBoxes().empty()) << "the uninstall makes its own refusal";
    EXPECT_EQ(app.InstanceLockState(), platform::InstanceLock::State::HeldElsewhere);
    EXPECT_EQ(reporter.Calls(), (std::vector<std::string>{"event:1", "log:launcher start"}));
    EXPECT_TRUE(fs::is_directory(games / "vorn-lunet" / "client"));
}

TEST(DeleteNotNullDir, RemovesLinksAsLinksAndNeverWhatTheyPointAt) {
    testsupport::TempHome home;
    const fs::path outside = home.Root() / "outside";
    WriteFile(outside / "dir" / "precious.txt", "keep");
    WriteFile(outside / "file.txt", "keep");
    const fs::path client = home.Root() / "client";
    WriteFile(client / "vorn" / "data" / "a.bin", "a");
    WriteFile(client / "readme.txt", "r");
    fs::create_symlink(outside / "dir", client / "to-dir");
    fs::create_symlink(outside / "file.txt", client / "vorn" / "to-file");
    fs::create_symlink(outside / "missing", client / "vorn" / "dangling");
    fs::create_symlink(outside, client / "vorn" / "data" / "to-outside");

    EXPECT_TRUE(CWebApp::DeleteNotNullDir(client));
    EXPECT_FALSE(fs::exists(fs::symlink_status(client)));
    EXPECT_EQ(ReadFile(outside / "dir" / "precious.txt"), "keep");
    EXPECT_EQ(ReadFile(outside / "file.txt"), "keep");

    // A link in the folder's own place goes as a link; a file in its place is not a folder.
    fs::create_symlink(outside, home.Root() / "linked-client");
    EXPECT_TRUE(CWebApp::DeleteNotNullDir(home.Root() / "linked-client"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(home.Root() / "linked-client")));
    EXPECT_EQ(ReadFile(outside / "file.txt"), "keep");
    EXPECT_FALSE(CWebApp::DeleteNotNullDir(outside / "file.txt"));
    EXPECT_EQ(ReadFile(outside / "file.txt"), "keep");
    EXPECT_FALSE(CWebApp::DeleteNotNullDir(home.Root() / "missing"));

    // Every folder it enters is logged, the links are not.
    const std::string log = testsupport::LogText();
    for (const fs::path& entered :
         {client, client / "vorn", client / "vorn" / "data", home.Root() / "linked-client"}) {
        EXPECT_NE(log.find("] " + entered.string() + "\r\n"), std::string::npos) << entered;
    }
    EXPECT_EQ(log.find("] " + (client / "to-dir").string() + "\r\n"), std::string::npos);
    EXPECT_NE(log.find("[INFO][CWebApp::DeleteNotNullDir::"), std::string::npos);
}

}  // namespace
