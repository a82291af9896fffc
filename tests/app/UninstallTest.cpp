// The uninstall command against a real installation: the game is installed through the update
// chain from nginx, then removed. Where the install directory's deferred removal matters, the
// launcher runs as a child process, so that "after the process has ended" is a real end.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "app/CLocalLog.h"
#include "app/CWebApp.h"
#include "platform/UninstallKey.h"
#include "support/NginxServer.h"
#include "support/Programs.h"
#include "support/Undeletable.h"
#include "update/UpdateWorld.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testsupport::ReadFile;
using testsupport::WriteFile;

const std::string kRunningText = "游戏正在运行,请关闭游戏后重试";
const std::string kConfirmText = "确定要卸载吗?";
const std::string kFailedText = "卸载失败,请关闭游戏后重试.";

std::string Box(const std::string& text, const std::string& caption, platform::MessageIcon icon,
                platform::MessageButtons buttons) {
    return "box:" + text + "|" + caption + "|" + std::to_string(static_cast<int>(icon)) + "|" +
           std::to_string(static_cast<int>(buttons));
}

// The lines of `text` that start with `prefix`, without it.
std::vector<std::string> Lines(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with(prefix)) {
            lines.push_back(line.substr(prefix.size()));
        }
    }
    return lines;
}

// Whether `parts` occur in `text` in this order.
testing::AssertionResult InOrder(const std::string& text, const std::vector<std::string>& parts) {
    size_t at = 0;
    for (const auto& part : parts) {
        const size_t found = text.find(part, at);
        if (found == std::string::npos) {
            return testing::AssertionFailure() << "\"" << part << "\" not found in order in\n"
                                               << text;
        }
        at = found + part.size();
    }
    return testing::AssertionSuccess();
}

class RecordingShell : public IApplicationShell {
  public:
    void RunUpdateWindow(CWebApp&) override { ++windows; }
    int windows = 0;
};

class Uninstall : public ::testing::Test, protected testsupport::UpdateWorld {
  protected:
    Uninstall() : www(Root() / "www"), nginx((fs::create_directories(www), www)) {
        fs::create_directories(proc);
    }
    void SetUp() override { ASSERT_TRUE(nginx.Running()) << nginx.ErrorLog(); }

    // Installs the game into installDir through the update chain.
    void Install() {
        const fs::path src = Root() / "src";
        WriteFile(src / "vorn" / "vorn", "#!/bin/sh\n");
        WriteFile(src / "vorn" / "data" / "big.bin", std::string(100000, 'b'));
        WriteFile(src / "readme.txt", "read me");
        fs::create_directories(www / "pkg");
        ASSERT_EQ(
            testsupport::RunProgram({"zip", "-r", "-q", (www / "pkg/vorn.zip").string(), "."}, src)
                .exitCode,
            0);
        WriteFile(www / "config.txt",
                  "ClientVersion=1.0.0.3\nClientDownloadUrl=" + nginx.Url("/pkg/vorn.zip") + "\n");
        fs::create_directories(clientDir);
        CGameRemoteConfig config(Context(nginx.Url("/config.txt")));
        config.InitRemoteConfig(&view);
        ASSERT_EQ(view.Calls().back(), "SetReady");
        for (const fs::path& item : Installed()) {
            ASSERT_TRUE(fs::exists(item)) << item;
        }
    }
    fs::path StartMenu() const { return home.DataHome() / "applications" / "Apps" / "lunet"; }
    fs::path Desktop() const { return home.Home() / "Desktop" / "Brannoc.desktop"; }
    fs::path KeyFile() const { return home.DataHome() / "vorn_lunet" / "uninstall.ini"; }
    // What the installation made that the uninstall removes at once.
    std::vector<fs::path> Installed() const {
        return {clientDir / "vorn" / "vorn",
                StartMenu() / "Brannoc.desktop",
                StartMenu() / "Brannoc-卸载.desktop",
                Desktop(),
                KeyFile(),
                installDir / "Brannoc"};
    }
    // The paths and sizes of what lies in the games folder and the home, the logs aside.
    std::string World() const {
        std::string world;
        for (const fs::path& top : {Root() / "games", home.Home()}) {
            for (const auto& entry : fs::recursive_directory_iterator(top)) {
                const std::string path = entry.path().string();
                if (!path.starts_with(home.StateHome().string())) {
                    world += path + (entry.is_regular_file()
                                         ? " " + std::to_string(entry.file_size()) + "\n"
                                         : "/\n");
                }
            }
        }
        return world;
    }
    // The uninstall child's log.
    std::string ChildLog() const { return ReadFile(home.StateHome() / "uninstall_child.log"); }

    // The launcher started with "/uninstall" in this process.
    WebAppServices Services(platform::IMessageBox& messageBox) {
        return WebAppServices{
            .reporter = startReporter,
            .messageBox = messageBox,
            .shell = shell,
            .locations = platform::CurrentUserLocations(),
            .ownExecutable = launcher,
            .arguments = {"Brannoc", "/uninstall"},
            .procRoot = proc,
            .crashReports = false,
            .unInstall = {},
        };
    }
    testsupport::ChildProgram StartChild(const std::string& answer) {
        return testsupport::ChildProgram({UNINSTALL_CHILD, answer, proc.string()});
    }

    fs::path www;
    testsupport::NginxServer nginx;
    fs::path proc = Root() / "proc";  // an empty process table: no game runs
    testsupport::RecordingReporter startReporter;
    RecordingShell shell;
};

TEST_F(Uninstall, RemovesTheInstallationAndTheInstallDirectoryOnceTheProcessHasEnded) {
    Install();
    testsupport::ChildProgram child = StartChild("yes");
    ASSERT_TRUE(child.ReadUntil("paused\n", 60s)) << child.Output();

    // At once, while the launcher still runs.
    EXPECT_FALSE(fs::exists(clientDir));
    EXPECT_FALSE(fs::exists(StartMenu()));
    EXPECT_TRUE(fs::is_directory(StartMenu().parent_path())) << "Apps stays, even empty";
    EXPECT_TRUE(fs::is_empty(StartMenu().parent_path()));
    EXPECT_FALSE(fs::exists(Desktop()));
    EXPECT_FALSE(fs::exists(KeyFile()));
    EXPECT_TRUE(fs::exists(installDir / "Brannoc")) << "the install directory waits";

    const std::string output = child.Output();
    EXPECT_EQ(
        Lines(output, "decision:"),
        std::vector<std::string>{std::to_string(static_cast<int>(StartupDecision::Uninstall))});
    EXPECT_EQ(Lines(output, "box:"), std::vector<std::string>{Box(kConfirmText, "uninstall_child",
                                                                  platform::MessageIcon::Question,
                                                                  platform::MessageButtons::YesNo)
                                                                  .substr(4)});
    EXPECT_EQ(Lines(output, "report:"),
              (std::vector<std::string>{"event:1", "log:launcher start", "log:game uninstall start",
                                        "log:game unintall success"}));
    const std::string log = ChildLog();
    EXPECT_TRUE(InOrder(log, {
                                 "[INFO][CWebApp::UnInstall::",
                                 "] Begin uninstall\r\n",
                                 "[INFO][CWebApp::UnInstall::",
                                 "] " + clientDir.string() + "\r\n",
                                 "[INFO][CWebApp::DeleteNotNullDir::",
                                 "] " + clientDir.string() + "\r\n",
                                 "] " + (clientDir / "vorn").string() + "\r\n",
                                 "[INFO][CWebApp::UnInstall::",
                                 "] " + StartMenu().string() + "\r\n",
                                 "[INFO][CWebApp::DeleteNotNullDir::",
                                 "] " + StartMenu().string() + "\r\n",
                                 "[INFO][CWebApp::UnInstall::",
                                 "] " + Desktop().string() + "\r\n",
                                 "[INFO][CGameRemoteConfig::RemoveRegisties::",
                                 "] lret:0\r\n",
                                 "[ERROR][CWebApp::UnInstall::",
                             }));
    EXPECT_TRUE(log.ends_with("][unistall succ]\r\n")) << "closed before the removal:\n" << log;
    EXPECT_EQ(log.find("unistall error"), std::string::npos);

    const auto started = Lines(output, "started:");
    ASSERT_EQ(started.size(), 1u) << output;
    const pid_t removal = std::stoi(started[0]);
    ASSERT_EQ(child.Finish(20s), 0);
    ASSERT_TRUE(testsupport::WaitForProcessEnd(removal, 30s));
    EXPECT_FALSE(fs::exists(installDir));
    EXPECT_EQ(ReadFile(launcher), "#!/bin/sh\n# the launcher\n") << "the launcher beside it";
    EXPECT_TRUE(fs::is_directory(StartMenu().parent_path()));
}

TEST_F(Uninstall, AnsweredNoChangesNothingAndLeavesNoTrace) {
    Install();
    const std::string world = World();
    const std::string logBefore = testsupport::LogText();
    testsupport::ScriptedMessageBox boxes;
    boxes.Answer(platform::kIdNo);
    CWebApp app(Services(boxes));
    EXPECT_EQ(app.Run(), StartupDecision::Uninstall);
    ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
    EXPECT_EQ(boxes.ShownBoxes()[0].text, kConfirmText);
    EXPECT_EQ(boxes.ShownBoxes()[0].caption, "Brannoc") << "the application name";
    EXPECT_EQ(boxes.ShownBoxes()[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(World(), world);
    EXPECT_EQ(startReporter.Calls(), (std::vector<std::string>{"event:1", "log:launcher start"}));
    // Only the start-up's two lines were added.
    const std::string added = testsupport::LogText().substr(logBefore.size());
    EXPECT_TRUE(InOrder(added, {"[INFO][CWebApp::InitApplication::", "\r\n",
                                "[INFO][CWebApp::InitApplication::", "\r\n"}));
    EXPECT_EQ(std::count(added.begin(), added.end(), '\n'), 2) << added;
    EXPECT_EQ(shell.windows, 0);
}

TEST_F(Uninstall, ARunningLauncherOrGameRefusesBeforeAsking) {
    Install();
    const std::string world = World();
    const auto lockFile =
        platform::InstanceLock::PathFor(platform::CurrentUserLocations(), "Brannoc");
    struct Case {
        const char* what;
        bool lockHeld;
        const char* process;  // the executable of a running process, or nullptr
        bool refused;
    } cases[] = {
        {"another launcher", true, nullptr, true},
        {"the game", false, "/opt/elsewhere/vorn", true},
        {"a name that differs in case only", false, "/opt/elsewhere/Vorn", false},
    };
    int pid = 100;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(proc);
        fs::create_directories(proc);
        if (c.process != nullptr) {
            fs::create_directories(proc / std::to_string(++pid));
            fs::create_symlink(c.process, proc / std::to_string(pid) / "exe");
        }
        platform::InstanceLock running;
        if (c.lockHeld) {
            running = platform::InstanceLock::TryAcquire(lockFile);
            ASSERT_TRUE(running.Held());
        }
        testsupport::ScriptedMessageBox boxes;
        boxes.Answer(platform::kIdNo);
        CWebApp app(Services(boxes));
        EXPECT_EQ(app.Run(), StartupDecision::Uninstall);
        ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
        const auto& box = boxes.ShownBoxes()[0];
        if (c.refused) {
            EXPECT_EQ(box.text, kRunningText);
            EXPECT_EQ(box.caption, "Brannoc");
            EXPECT_EQ(box.icon, platform::MessageIcon::Information);
            EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
        } else {
            EXPECT_EQ(box.text, kConfirmText);
        }
        EXPECT_EQ(World(), world);
    }
    EXPECT_EQ(testsupport::LogText().find("CWebApp::UnInstall"), std::string::npos);
}

TEST_F(Uninstall, AFileThatCannotBeDeletedStopsItAndASecondRunFinishesTheRest) {
    Install();
    testsupport::Undeletable stuck(clientDir / "vorn" / "data" / "big.bin");
    if (!stuck.Made()) {
        GTEST_SKIP() << stuck.Reason();
    }
    {
        testsupport::ChildProgram child = StartChild("yes");
        ASSERT_TRUE(child.ReadUntil("paused\n", 60s)) << child.Output();
        EXPECT_EQ(Lines(child.Output(), "box:").back(),
                  Box(kFailedText, "Brannoc", platform::MessageIcon::Information,
                      platform::MessageButtons::Ok)
                      .substr(4));
        EXPECT_EQ(Lines(child.Output(), "report:").back(), "log:game uninstall start");
        EXPECT_TRUE(Lines(child.Output(), "started:").empty()) << child.Output();
        EXPECT_TRUE(fs::exists(clientDir / "vorn" / "data" / "big.bin"));
        EXPECT_FALSE(fs::exists(clientDir / "readme.txt")) << "the rest of it went";
        for (const fs::path& kept :
             {StartMenu() / "Brannoc.desktop", Desktop(), KeyFile(), installDir / "Brannoc"}) {
            EXPECT_TRUE(fs::exists(kept)) << kept;
        }
        EXPECT_EQ(child.Finish(20s), 0);
        const std::string log = ChildLog();
        EXPECT_TRUE(InOrder(log, {"] " + clientDir.string() + "\r\n",
                                  "[ERROR][CWebApp::UnInstall::", "][unistall error]\r\n"}));
        EXPECT_EQ(log.find(StartMenu().string()), std::string::npos) << "stopped there";
    }

    stuck.Undo();
    testsupport::ChildProgram child = StartChild("yes");
    ASSERT_TRUE(child.ReadUntil("paused\n", 60s)) << child.Output();
    EXPECT_EQ(Lines(child.Output(), "box:").size(), 1u) << "only the confirmation";
    for (const fs::path& item : Installed()) {
        if (item != installDir / "Brannoc") {
            EXPECT_FALSE(fs::exists(item)) << item;
        }
    }
    const auto started = Lines(child.Output(), "started:");
    ASSERT_EQ(started.size(), 1u);
    ASSERT_EQ(child.Finish(20s), 0);
    ASSERT_TRUE(testsupport::WaitForProcessEnd(std::stoi(started[0]), 30s));
    EXPECT_FALSE(fs::exists(installDir));
}

TEST_F(Uninstall, ADesktopEntryThatCannotBeDeletedIsReportedAndTheRestGoesOn) {
    Install();
    testsupport::Undeletable stuck(Desktop());
    if (!stuck.Made()) {
        GTEST_SKIP() << stuck.Reason();
    }
    testsupport::ChildProgram child = StartChild("yes");
    ASSERT_TRUE(child.ReadUntil("paused\n", 60s)) << child.Output();
    EXPECT_EQ(Lines(child.Output(), "box:").back(),
              Box(kFailedText, "Brannoc", platform::MessageIcon::Information,
                  platform::MessageButtons::Ok)
                  .substr(4));
    EXPECT_TRUE(fs::exists(Desktop()));
    EXPECT_FALSE(fs::exists(KeyFile()));
    EXPECT_EQ(Lines(child.Output(), "report:").back(), "log:game unintall success");
    const auto started = Lines(child.Output(), "started:");
    ASSERT_EQ(started.size(), 1u) << child.Output();
    ASSERT_EQ(child.Finish(20s), 0);
    EXPECT_TRUE(InOrder(ChildLog(), {"] " + Desktop().string() + "\r\n", "][unistall error]\r\n",
                                     "] lret:0\r\n", "][unistall succ]\r\n"}));
    ASSERT_TRUE(testsupport::WaitForProcessEnd(std::stoi(started[0]), 30s));
    EXPECT_FALSE(fs::exists(installDir));
}

TEST_F(Uninstall, AHostileInstallPathIsRemovedExactly) {
    // A shell that read the path as script text would run these commands, split at the blanks
    // and the line break, or expand the variable.
    const fs::path games = Root() / "games";
    installDir = games / "vorn 'lunet' \"x\" $(kill -9 $$) `kill -9 $$` $HOME ;\nrm -rf keep";
    clientDir = installDir / "client";
    WriteFile(games / "vorn" / "decoy", "before the first blank");
    WriteFile(games / "keep" / "decoy", "after the line break");
    Install();

    testsupport::ChildProgram child = StartChild("yes");
    ASSERT_TRUE(child.ReadUntil("paused\n", 60s)) << child.Output();
    EXPECT_FALSE(fs::exists(clientDir));
    const auto started = Lines(child.Output(), "started:");
    ASSERT_EQ(started.size(), 1u) << child.Output();
    ASSERT_EQ(child.Finish(20s), 0);
    ASSERT_TRUE(testsupport::WaitForProcessEnd(std::stoi(started[0]), 30s));
    EXPECT_FALSE(fs::exists(installDir));

    std::set<std::string> beside;
    for (const auto& entry : fs::directory_iterator(games)) {
        beside.insert(entry.path().filename().string());
    }
    EXPECT_EQ(beside, (std::set<std::string>{"Brannoc", "keep", "vorn", "vorn-lunet"}));
    EXPECT_EQ(ReadFile(launcher), "#!/bin/sh\n# the launcher\n");
    EXPECT_EQ(ReadFile(games / "vorn" / "decoy"), "before the first blank");
    EXPECT_EQ(ReadFile(games / "keep" / "decoy"), "after the line break");
}

TEST_F(Uninstall, AnInstallPathNamingTheHomeRemovesOnlyTheLaunchersOwnItems) {
    Install();
    platform::UninstallKey key = platform::UninstallKey::ForUser(platform::CurrentUserLocations());
    ASSERT_EQ(key.SetValue("InstallPath", home.Home().string()), 0);
    // The user's files, one of them named like the launcher copy and one like the client.
    WriteFile(home.Home() / "Brannoc", "the user's");
    WriteFile(home.Home() / "client" / "notes.txt", "the user's");
    WriteFile(home.Home() / "Documents" / "letter.txt", "the user's");
    WriteFile(home.DataHome() / "applications" / "other.desktop", "another program's entry");

    testsupport::ChildProgram child = StartChild("yes");
    ASSERT_TRUE(child.ReadUntil("paused\n", 60s)) << child.Output();
    EXPECT_TRUE(Lines(child.Output(), "started:").empty()) << "no removal of the home";
    EXPECT_FALSE(fs::exists(StartMenu()));
    EXPECT_FALSE(fs::exists(Desktop()));
    EXPECT_FALSE(fs::exists(KeyFile()));
    EXPECT_EQ(Lines(child.Output(), "report:").back(), "log:game unintall success");
    const std::string log = ChildLog();
    EXPECT_NE(log.find("][kept, the home folder or above it: " + (home.Home() / "client").string() +
                       "]\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("][kept, the home folder or above it: " + home.Home().string() + "]\r\n"),
              std::string::npos)
        << log;
    ASSERT_EQ(child.Finish(20s), 0);

    EXPECT_EQ(ReadFile(home.Home() / "Brannoc"), "the user's");
    EXPECT_EQ(ReadFile(home.Home() / "client" / "notes.txt"), "the user's");
    EXPECT_EQ(ReadFile(home.Home() / "Documents" / "letter.txt"), "the user's");
    EXPECT_TRUE(fs::exists(home.DataHome() / "applications" / "other.desktop"));
    EXPECT_TRUE(fs::exists(installDir / "Brannoc")) << "the recorded path is what counts";
}

}  // namespace
