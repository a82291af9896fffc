#include "ui/CWebCDlgLogic.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/Recorders.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

class RecordingHost : public ILaunchHost {
  public:
    void HideLauncher() override { calls.push_back("hide"); }
    void MaximiseGameWindow(pid_t) override { calls.push_back("maximise"); }
    void Cancel() override { calls.push_back("cancel"); }
    std::vector<std::string> calls;
};

class LoginTest : public ::testing::Test {
  protected:
    GameLaunchSettings Settings() {
        GameLaunchSettings s;
        s.clientDir = home.Root() / "install/client";
        s.launcherArgv = {"/opt/dl/Brannoc"};
        s.launcherPath = "/opt/dl/Brannoc";
        s.luaPathFile = home.Root() / "luapath.txt";
        s.customParameters = [] { return std::string("x=1"); };
        s.versionFileMissing = [this] { return firstInstall; };
        s.startProcess = [this](const GameCommand& command) {
            started.fetch_add(1);
            commands.push_back(command);
            return platform::SpawnResult{startSucceeds, 4242, startSucceeds ? 0 : ENOENT};
        };
        return s;
    }
    testsupport::TempHome home;
    testsupport::RecordingReporter reporter;
    testsupport::ScriptedMessageBox boxes;
    RecordingHost host;
    bool firstInstall = false;
    bool startSucceeds = true;
    std::atomic<int> started{0};
    std::vector<GameCommand> commands;
};

TEST_F(LoginTest, ParameterTextsBeforeTheUpdateIsReady) {
    struct Case {
        const char* params;
        bool accepted;
        const char* loginParam;
        bool box;
    } cases[] = {
        {"true|abc", true, "abc", false},
        {"TRUE|abc", true, "abc", false},
        {"True|", true, "", false},
        {"true|a|b", true, "a", false},
        {"true|with spaces|", true, "with spaces", false},
        {"false|abc", false, "", true},
        {"|abc", false, "", true},
        {"yes|abc", false, "", true},
        {"true ", false, "", false},
        {"true", false, "", false},
        {"", false, "", false},
    };
    for (const auto& c : cases) {
        testsupport::ScriptedMessageBox localBoxes;
        CWebCDlgLogic logic(Settings(), reporter, localBoxes, host);
        EXPECT_EQ(logic.JavascriptToCPLUSPLUS("LoginResult", c.params), "");
        EXPECT_EQ(logic.m_bLoginSucceeded, c.accepted ? 1 : 0) << c.params;
        EXPECT_EQ(logic.m_strLoginParam, c.loginParam) << c.params;
        ASSERT_EQ(localBoxes.ShownBoxes().size(), c.box ? 1u : 0u) << c.params;
        if (c.box) {
            EXPECT_EQ(localBoxes.ShownBoxes()[0].text, "登录验证未通过");
            EXPECT_EQ(localBoxes.ShownBoxes()[0].buttons, platform::MessageButtons::Ok);
        }
    }
    EXPECT_EQ(started.load(), 0) << "nothing starts before the update is ready";
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[CWebCDlg::JavascriptToCPLUSPLUS::"), std::string::npos);
    EXPECT_NE(log.find("] method:LoginResult,paramters:true|abc\r\n"), std::string::npos);
    EXPECT_NE(log.find("[CWebCDlg::OnLoginResult::"), std::string::npos);
    EXPECT_NE(log.find("] is logic suc!\r\n"), std::string::npos);
    EXPECT_NE(log.find("] paramters is error!\r\n"), std::string::npos);
}

TEST_F(LoginTest, ARejectedLoginChangesNothingAndALaterOneIsHandledAfresh) {
    CWebCDlgLogic logic(Settings(), reporter, boxes, host);
    logic.SetReady();
    logic.OnLoginResult("false|x");
    EXPECT_EQ(started.load(), 0);
    logic.OnLoginResult("true|tok");
    EXPECT_EQ(started.load(), 1);
    logic.OnLoginResult("true|again");
    logic.OnLoginResult("false|again");
    EXPECT_EQ(started.load(), 1);
    EXPECT_EQ(boxes.ShownBoxes().size(), 1u);
    EXPECT_NE(testsupport::LogText().find("] already login\r\n"), std::string::npos);
}

TEST_F(LoginTest, WhicheverComesSecondLaunches) {
    {
        CWebCDlgLogic logic(Settings(), reporter, boxes, host);
        logic.OnLoginResult("true|first");
        EXPECT_EQ(started.load(), 0);
        logic.SetReady();
        EXPECT_EQ(started.load(), 1);
    }
    {
        CWebCDlgLogic logic(Settings(), reporter, boxes, host);
        logic.SetReady();
        EXPECT_EQ(started.load(), 1);
        logic.OnLoginResult("true|second");
        EXPECT_EQ(started.load(), 2);
    }
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].argv.at(1), "--parameters=first");
    EXPECT_EQ(commands[1].argv.at(1), "--parameters=second");
}

TEST_F(LoginTest, RacingSidesLaunchExactlyOnce) {
    for (int round = 0; round < 200; ++round) {
        CWebCDlgLogic logic(Settings(), reporter, boxes, host);
        const int before = started.load();
        std::atomic<bool> go{false};
        std::thread ready([&] {
            while (!go.load()) {
            }
            logic.SetReady();
        });
        std::thread login([&] {
            while (!go.load()) {
            }
            logic.OnLoginResult("true|race");
        });
        go = true;
        ready.join();
        login.join();
        ASSERT_EQ(started.load(), before + 1) << "round " << round;
    }
}

TEST_F(LoginTest, MethodTable) {
    CWebCDlgLogic logic(Settings(), reporter, boxes, host);
    EXPECT_EQ(logic.JavascriptToCPLUSPLUS("GetCommandLine", "ignored"), "/opt/dl/Brannoc");
    EXPECT_EQ(logic.JavascriptToCPLUSPLUS("loginresult", "true|x"), "");
    EXPECT_EQ(logic.JavascriptToCPLUSPLUS("Unknown", "true|x"), "");
    EXPECT_EQ(logic.m_bLoginSucceeded, 0);
}

TEST_F(LoginTest, LaunchReportsHidesMaximisesOnAFirstInstallationAndEnds) {
    for (bool first : {false, true}) {
        firstInstall = first;
        host.calls.clear();
        CWebCDlgLogic logic(Settings(), reporter, boxes, host);
        logic.SetReady();
        logic.OnLoginResult("true|abc");
        EXPECT_EQ(logic.m_gameProcess, 4242);
        const std::vector<std::string> expected =
            first ? std::vector<std::string>{"hide", "maximise", "cancel"}
                  : std::vector<std::string>{"hide", "cancel"};
        EXPECT_EQ(host.calls, expected);
    }
    EXPECT_EQ(reporter.Calls(),
              (std::vector<std::string>{"event:9", "log:game start", "log:game start success",
                                        "event:9", "log:game start", "log:game start success"}));
    const GameCommand& c = commands.at(0);
    EXPECT_EQ(c.executable, home.Root() / "install/client/vorn/vorn");
    EXPECT_EQ(c.workingDirectory, home.Root() / "install/client/vorn");
    EXPECT_EQ(c.argv, (std::vector<std::string>{"/opt/dl/Brannoc", "--parameters=abc",
                                                "--plat_extra=x=1"}));
    const std::string log = testsupport::LogText();
    for (const char* line : {"] LaunchGame\r\n", "] LaunchGame Succ\r\n",
                             "] /opt/dl/Brannoc --parameters=abc --plat_extra=x=1\r\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
    EXPECT_NE(log.find((home.Root() / "install/client/vorn/vorn").string() + "\r\n"),
              std::string::npos);
}

TEST_F(LoginTest, AFailedStartLeavesTheLauncherOpenAndIgnoresLaterLogins) {
    startSucceeds = false;
    CWebCDlgLogic logic(Settings(), reporter, boxes, host);
    logic.SetReady();
    logic.OnLoginResult("true|abc");
    logic.OnLoginResult("true|again");
    EXPECT_EQ(started.load(), 1);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(reporter.Calls(),
              (std::vector<std::string>{"event:9", "log:game start", "log:game start failed"}));
    EXPECT_NE(testsupport::LogText().find("] LaunchGame Faild\r\n"), std::string::npos);
    EXPECT_NE(testsupport::LogText().find("] already login\r\n"), std::string::npos);
}

TEST_F(LoginTest, LuaPathFileCases) {
    struct Case {
        const char* name;
        std::optional<std::string> content;   // nullopt: no file
        bool folder;                          // a folder of that name cannot be read
        std::optional<std::string> expected;  // the --luapath argument, if any
    } cases[] = {
        {"missing", std::nullopt, false, std::nullopt},
        {"one line", std::string("scripts"), false, std::string("--luapath=scripts")},
        {"line feed kept", std::string("scripts\nnext\n"), false,
         std::string("--luapath=scripts\n")},
        {"empty", std::string(""), false, std::string("--luapath=")},
        {"unreadable", std::nullopt, true, std::nullopt},
        {"259 bytes at most", std::string(300, 'p'), false, "--luapath=" + std::string(259, 'p')},
    };
    for (const auto& c : cases) {
        const fs::path file = home.Root() / "luapath.txt";
        fs::remove_all(file);
        if (c.content)
            WriteFile(file, *c.content);
        if (c.folder)
            fs::create_directories(file);
        commands.clear();
        CWebCDlgLogic logic(Settings(), reporter, boxes, host);
        logic.SetReady();
        logic.OnLoginResult("true|p");
        ASSERT_EQ(commands.size(), 1u) << c.name;
        const auto& argv = commands[0].argv;
        if (c.expected) {
            ASSERT_EQ(argv.size(), 4u) << c.name;
            EXPECT_EQ(argv[3], *c.expected) << c.name;
        } else {
            EXPECT_EQ(argv.size(), 3u) << c.name;
        }
    }
}

// The real start: the test game records its arguments, folder and session.
TEST_F(LoginTest, TheGameStartsWithTheLauncherArgumentsInItsFolderAndOwnSession) {
    const fs::path gameDir = home.Root() / "install/client/vorn";
    fs::create_directories(gameDir);
    fs::copy_file(DEMO_GAME_PATH, gameDir / "vorn");
    const fs::path record = home.Root() / "record.txt";
    setenv("DEMO_GAME_RECORD", record.c_str(), 1);
    unsetenv("DISPLAY");  // record and exit
    // The relative default: luapath.txt in the launcher's working folder.
    WriteFile(home.Root() / "cwd/luapath.txt", "lua/scripts");
    ASSERT_EQ(chdir((home.Root() / "cwd").c_str()), 0);

    GameLaunchSettings s = Settings();
    s.launcherArgv = {"./Brannoc", "--extra", "two words"};
    s.luaPathFile = "luapath.txt";
    s.startProcess = nullptr;  // the platform's spawn
    s.customParameters = [] { return std::string("k=v&w=\"q\""); };
    CWebCDlgLogic logic(s, reporter, boxes, host);
    logic.SetReady();
    logic.OnLoginResult("true|token 123|ignored");
    ASSERT_GT(logic.m_gameProcess, 0);
    int status = 0;
    ASSERT_EQ(waitpid(logic.m_gameProcess, &status, 0), logic.m_gameProcess);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(record), "cwd=" + gameDir.string() +
                                    "\nsession_leader=1\n"
                                    "arg=./Brannoc" +
                                    std::string(1, '\0') + "arg=--extra" + std::string(1, '\0') +
                                    "arg=two words" + std::string(1, '\0') +
                                    "arg=--parameters=token 123" + std::string(1, '\0') +
                                    "arg=--plat_extra=k=v&w=\"q\"" + std::string(1, '\0') +
                                    "arg=--luapath=lua/scripts" + std::string(1, '\0'));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"hide", "cancel"}));
}

TEST_F(LoginTest, AMissingGameExecutableFailsTheStart) {
    GameLaunchSettings s = Settings();
    s.startProcess = nullptr;
    CWebCDlgLogic logic(s, reporter, boxes, host);
    logic.SetReady();
    logic.OnLoginResult("true|abc");
    EXPECT_EQ(logic.m_gameProcess, -1);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(reporter.Calls().back(), "log:game start failed");
}

}  // namespace
