// The launcher's two windows together, against a real management server on loopback: the
// shaped skin, the progress and status views, the keys that must not close or reload, the
// close button, dragging, new windows, and the road from the login page to the started game.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <wx/webview.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "app/BuildConstants.h"
#include "app/CWebApp.h"
#include "platform/SelfPath.h"
#include "support/GuiTest.h"
#include "support/LoopbackServer.h"
#include "support/NginxServer.h"
#include "support/Programs.h"
#include "support/Recorders.h"
#include "support/TempHome.h"
#include "support/XScreen.h"
#include "ui/CGradientProgressCtrl.h"
#include "ui/CImpIDispatch.h"
#include "ui/CStaticEx.h"
#include "ui/CWebCDlg.h"
#include "ui/CWebDlg.h"
#include "ui/ExternalDispatchAdapter.h"
#include "update/CGameRemoteConfig.h"
#include "update/UpdateContext.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::Rgb8;
using testsupport::WriteFile;

class NoShell : public IApplicationShell {
  public:
    void RunUpdateWindow(CWebApp&) override {}
};

constexpr Rgb8 kRootColour{255, 0, 255};
constexpr Rgb8 kBarBlue{0, 132, 255};
constexpr Rgb8 kBarGrey{105, 105, 105};
constexpr Rgb8 kPageGreen{20, 160, 70};

const char* kLoginPage = R"html(<!doctype html>
<html><head><meta charset="utf-8"></head>
<body style="margin:0;background:rgb(20,160,70)">
<input id="field" style="margin:20px">
<a id="blank" href="/elsewhere.html" target="_blank" style="display:block;margin:20px">open</a>
</body></html>)html";

class LauncherWindowTest : public testsupport::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        home = fs::path(std::getenv("HOME"));
        www = home / "www";
        launcherDir = home / "dl";
        fs::create_directories(launcherDir);
        WriteFile(www / "login/index.html", kLoginPage);
        WriteFile(www / "elsewhere.html", "<html><body>elsewhere</body></html>");
    }

    void TearDown() override {
        if (window != nullptr && !finished) {
            window->Finish();
        }
        GuiTest::TearDown();
        if (windowManager > 0) {
            kill(windowManager, SIGTERM);
            waitpid(windowManager, nullptr, 0);
        }
    }

    // The configuration the server hands out; the login page and the package are on it too.
    void ServeConfig(const std::string& minimumVersion, const std::string& packageUrl = "") {
        nginx = std::make_unique<testsupport::NginxServer>(www);
        ASSERT_TRUE(nginx->Running()) << nginx->ErrorLog();
        std::string text =
            "ClientMiniUpdateVersion=" + minimumVersion +
            "\nClientVersion=1.0.0.1\nEntryUrl=" + nginx->Url("/login/index.html") +
            "\nCustomParameters=region:test\nClientDownloadUrl=" +
            (packageUrl.empty() ? nginx->Url("/pkg/{version}/vorn.zip") : packageUrl) + "\n";
        WriteFile(www / "config.txt", text);
    }

    // A package holding the demo game, as an archiver writes it.
    void MakePackage() {
        const fs::path stage = home / "stage";
        fs::create_directories(stage / "vorn/data");
        fs::copy_file(DEMO_GAME_PATH, stage / "vorn/vorn", fs::copy_options::overwrite_existing);
        WriteFile(stage / "vorn/data/readme.txt", "demo\n");
        fs::create_directories(www / "pkg/1.0.0.1");
        ASSERT_EQ(testsupport::RunProgram(
                      {"zip", "-r", "-q", (www / "pkg/1.0.0.1/vorn.zip").string(), "vorn"}, stage)
                      .exitCode,
                  0);
    }

    // The application as the launcher has it after its start-up, and the update window over it.
    void OpenWindow(bool startDriver = true) {
        WebAppServices services{
            .reporter = reporter,
            .messageBox = boxes,
            .shell = shell,
            .locations = platform::CurrentUserLocations(),
            .ownExecutable = launcherDir / "Brannoc",
            .arguments = {(launcherDir / "Brannoc").string(), "--from-test"},
            .procRoot = "/proc",
            .crashReports = false,
            .unInstall = {},
        };
        app = std::make_unique<CWebApp>(std::move(services));
        ASSERT_TRUE(app->InitApplication());
        UpdateContext context{
            .installDir = app->m_strInstallDir,
            .clientDir = app->m_strClientDir,
            .ownExecutable = platform::OwnExecutablePath(),
            .configUrl = nginx ? nginx->Url("/config.txt") : "http://127.0.0.1:1/none",
            .locations = platform::CurrentUserLocations(),
            .uninstallKey = platform::UninstallKey::ForUser(platform::CurrentUserLocations()),
            .reporter = reporter,
            .system64Bit = true,
            .connectTimeout = std::chrono::milliseconds(2000),
            .stallTimeout = std::chrono::milliseconds(5000),
            .iconPng = {},
        };
        config = std::make_shared<CGameRemoteConfig>(std::move(context));
        external = std::make_unique<ExternalDispatchAdapter>(bridge);
        WindowServices windowServices{
            .app = *app,
            .config = config,
            .reporter = reporter,
            .messageBox = boxes,
            .external = external.get(),
            .openUrl = [this](const std::string& url) { opened.push_back(url); },
            .startUpdateDriver = startDriver,
        };
        window = new CWebDlg(windowServices);
        bridge.SetMainWindow(window);
        window->Start();
        View().Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& event) {
            loadedUrl = event.GetURL().utf8_string();
            event.Skip();
        });
        ASSERT_TRUE(WaitFor([this] { return window->IsShownOnScreen(); }));
    }

    CWebCDlg& Web() { return *window->m_pWebCDlg; }
    wxWebView& View() { return *Web().m_browser.GetControl(); }
    std::string Script(const std::string& js) { return RunScript(View(), js).value_or("<none>"); }
    bool LoginPageShown() {
        // The browser reports the new address before the page has come; wait for the page.
        return WaitFor(
            [this] {
                return loadedUrl.find("/login/index.html") != std::string::npos &&
                       RunScript(View(), "document.readyState", std::chrono::seconds(2)) ==
                           std::optional<std::string>("complete");
            },
            std::chrono::seconds(20));
    }
    bool Ready() {
        return WaitFor([this] { return Web().m_bReady != 0; }, std::chrono::seconds(20));
    }
    // A point of the window's client area on the screen.
    wxPoint At(int x, int y) { return window->ClientToScreen(wxPoint(x, y)); }
    bool Click(wxPoint p) {
        return Xdotool({"mousemove", std::to_string(p.x), std::to_string(p.y), "click", "1"});
    }
    int PageRequests() {
        int count = 0;
        for (const auto& line : nginx->AccessLog()) {
            count += line.rfind("GET /login/index.html", 0) == 0 ? 1 : 0;
        }
        return count;
    }
    void StartWindowManager() {
        const char* argv[] = {"openbox", nullptr};
        ASSERT_EQ(posix_spawnp(&windowManager, "openbox", nullptr, nullptr,
                               const_cast<char**>(argv), environ),
                  0);
        ASSERT_TRUE(WaitFor([] {
            return testsupport::RunProgram({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}, {},
                                           std::chrono::seconds(5), false)
                       .output.find("window id") != std::string::npos;
        }));
    }

    fs::path home, www, launcherDir;
    std::unique_ptr<testsupport::NginxServer> nginx;
    testsupport::RecordingReporter reporter;
    testsupport::ScriptedMessageBox boxes;
    NoShell shell;
    CImpIDispatch bridge;
    std::unique_ptr<ExternalDispatchAdapter> external;
    std::unique_ptr<CWebApp> app;
    std::shared_ptr<CGameRemoteConfig> config;
    CWebDlg* window = nullptr;
    bool finished = false;
    std::vector<std::string> opened;
    std::string loadedUrl;
    pid_t windowManager = -1;
};

TEST_F(LauncherWindowTest, TheSkinShapesTheWindowAndThePageFillsTheBrowserRectangle) {
    ASSERT_TRUE(testsupport::PaintRootWindow(DisplayName(), kRootColour));
    ServeConfig("0.0.0.0");
    OpenWindow();
    ASSERT_TRUE(LoginPageShown());
    ASSERT_TRUE(Ready());
    // The controls show what the no-download road ends in.
    EXPECT_TRUE(Web().m_staticStatus->IsShown());
    EXPECT_EQ(Web().m_staticStatus->GetLabel().utf8_string(), "更新已完成");
    EXPECT_FALSE(Web().m_progress->IsShown());
    EXPECT_EQ(window->GetSize(), wxSize(1280, 725));

    // The page fills the browser's rectangle (880, 69, 400 x 566) once it has been drawn.
    const wxRect area(At(0, 0), wxSize(1280, 725));
    const wxPoint inPage[] = {At(881, 70), At(1279, 634), At(1080, 400)};
    testsupport::Screenshot shot;
    EXPECT_TRUE(WaitFor([&] {
        shot = Grab(area);
        return std::all_of(std::begin(inPage), std::end(inPage), [&](wxPoint p) {
            return testsupport::Near(shot.At(p.x, p.y), kPageGreen, 6);
        });
    })) << ToString(shot.At(inPage[0].x, inPage[0].y))
        << " " << ToString(shot.At(inPage[1].x, inPage[1].y));
    // Rounded corners are not part of the window: the root shows through.
    for (const wxPoint corner : {At(1, 20), At(1278, 22), At(1, 723), At(1278, 723)}) {
        EXPECT_EQ(shot.At(corner.x, corner.y), kRootColour)
            << corner.x << "," << corner.y << " " << ToString(shot.At(corner.x, corner.y));
    }
    // The skin fills the rest.
    EXPECT_NE(shot.At(At(640, 360).x, At(640, 360).y), kRootColour);
    EXPECT_FALSE(testsupport::Near(shot.At(At(878, 400).x, At(878, 400).y), kPageGreen, 6));
    // The page learnt the launcher's folder, not encoded.
    EXPECT_EQ(View().GetCurrentURL().utf8_string(),
              nginx->Url("/login/index.html") + "?fileName=" + launcherDir.string());
}

TEST_F(LauncherWindowTest, ProgressAndStatusViewsShowWhatTheDriverReports) {
    OpenWindow(false);
    struct Case {
        int position;
        double blueUpTo;  // fraction of the bar in the start colour
    } cases[] = {{0, 0.0}, {50, 0.5}, {100, 1.0}};
    for (const auto& c : cases) {
        window->UpdateProgress("", std::to_string(c.position) + "%", c.position, true);
        window->ShowProgressView();
        Pump();
        EXPECT_TRUE(Web().m_progress->IsShown());
        EXPECT_FALSE(Web().m_staticStatus->IsShown());
        EXPECT_TRUE(Web().m_staticStage->IsShown());
        EXPECT_EQ(Web().m_staticStage->GetLabel().utf8_string(), "正在下载：");
        const wxRect bar(Web().m_progress->GetScreenPosition(), Web().m_progress->GetSize());
        ASSERT_TRUE(WaitFor([&] {
            const auto shot = Grab(bar);
            const int y = bar.y + bar.height / 2;
            const int split = bar.x + static_cast<int>(bar.width * c.blueUpTo);
            return (c.blueUpTo == 0.0 || shot.At(bar.x + 2, y) == kBarBlue) &&
                   (c.blueUpTo == 1.0 || shot.At(bar.GetRight() - 2, y) == kBarGrey) &&
                   (split - 3 < bar.x || shot.At(split - 3, y) == kBarBlue) &&
                   (split + 3 > bar.GetRight() || shot.At(split + 3, y) == kBarGrey);
        })) << "position "
            << c.position;
    }
    EXPECT_EQ(Web().m_staticPercent->GetLabel().utf8_string(), "100%");
    // The same position again keeps the old percent text; the extraction's caption comes once.
    window->UpdateProgress("", "3/4", 100, false);
    EXPECT_EQ(Web().m_staticPercent->GetLabel().utf8_string(), "100%");
    EXPECT_EQ(Web().m_staticStage->GetLabel().utf8_string(), "正在解压：");
    window->UpdateProgress(UpdateFailedText(103), "", 0, false);
    window->ShowStatusView();
    EXPECT_FALSE(Web().m_progress->IsShown());
    EXPECT_TRUE(Web().m_staticStatus->IsShown());
    EXPECT_FALSE(Web().m_staticStage->IsShown());
    EXPECT_FALSE(Web().m_staticPercent->IsShown());
    EXPECT_EQ(Web().m_staticStatus->GetLabel().utf8_string(), "更新失败,请检查网络,ErrorCode:103");
}

TEST_F(LauncherWindowTest, EscapeEnterAndF5NeitherCloseNorReload) {
    ServeConfig("0.0.0.0");
    OpenWindow();
    ASSERT_TRUE(LoginPageShown());
    ASSERT_EQ(PageRequests(), 1);
    // Once on the skin, once in a field of the page, where Escape and Enter belong to the page.
    ASSERT_TRUE(Click(At(400, 300)));
    ASSERT_TRUE(WaitFor([] { return wxWindow::GetCapture() == nullptr; }));
    ASSERT_TRUE(Xdotool({"key", "Escape", "Return", "F5"}));
    // The page records the keys it gets; the script's answer also tells that the page is idle.
    ASSERT_EQ(Script("window.keys=[];document.addEventListener('keydown',"
                     "function(e){window.keys.push(e.key);});'ok'"),
              "ok");
    ASSERT_TRUE(Click(View().ClientToScreen(wxPoint(60, 30))));
    ASSERT_TRUE(WaitFor([this] { return Script("document.activeElement.id") == "field"; }));
    ASSERT_TRUE(Xdotool({"type", "abc"}));
    ASSERT_TRUE(Xdotool({"key", "Escape", "Return", "F5"}));
    ASSERT_TRUE(WaitFor([this] {
        return Script("document.getElementById('field').value") == "abc" &&
               Script("window.keys.join(' ')") == "a b c Escape Enter";
    })) << Script("window.keys.join(' ')");
    EXPECT_FALSE(window->Ended());
    EXPECT_TRUE(window->IsShown());
    EXPECT_EQ(PageRequests(), 1);
}

TEST_F(LauncherWindowTest, TheCloseButtonEndsTheLauncherWithTheRecordWritten) {
    ServeConfig("0.0.0.0");
    OpenWindow();
    ASSERT_TRUE(Ready());
    const fs::path record = app->m_strInstallDir / "tempdownload.dat";
    fs::remove(record);
    ASSERT_TRUE(Click(At(1200 + 16, 22 + 16)));
    ASSERT_TRUE(WaitFor([this] { return window->Ended(); }));
    EXPECT_EQ(window->Result(), CWebDlg::kIdOk);
    EXPECT_EQ(ReadFile(record).rfind("offset=0\ntotalSize=0\n", 0), 0u) << ReadFile(record);
    window->Finish();
    finished = true;
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[CWebDlg::Close::"), std::string::npos);
    EXPECT_NE(log.find("] Laucher Stop\r\n"), std::string::npos);
    EXPECT_NE(log.find("[CWebApp::OnWndDestroy::"), std::string::npos);
}

TEST_F(LauncherWindowTest, LinkButtonsAndNewWindowsGoToTheDefaultBrowser) {
    ServeConfig("0.0.0.0");
    OpenWindow();
    ASSERT_TRUE(LoginPageShown());
    // One click after the other: a button holds the mouse from its button-down until it has
    // handled the button-up, as any button does.
    const int linkButtons[] = {800, 900, 1000};  // the game's page, FAQ, home
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(Click(At(linkButtons[i] + 30, 22 + 14)));
        ASSERT_TRUE(WaitFor([&] { return opened.size() == i + 1; }));
    }
    EXPECT_EQ(opened[0], g_strGamePageUrl);
    EXPECT_EQ(opened[1], g_strFaqUrl);
    EXPECT_EQ(opened[2], g_strHomeUrl);

    const std::string rect = Script(
        "(function(){var r=document.getElementById('blank').getBoundingClientRect();"
        "return Math.round(r.left+5)+','+Math.round(r.top+r.height/2);})()");
    const size_t comma = rect.find(',');
    ASSERT_NE(comma, std::string::npos) << rect;
    ASSERT_TRUE(Click(View().ClientToScreen(
        wxPoint(std::stoi(rect.substr(0, comma)), std::stoi(rect.substr(comma + 1))))));
    ASSERT_TRUE(WaitFor([this] { return opened.size() == 4; }));
    EXPECT_EQ(opened[3], nginx->Url("/elsewhere.html"));
    EXPECT_TRUE(View().GetCurrentURL().Contains("/login/index.html"));
    EXPECT_FALSE(window->Ended());
}

TEST_F(LauncherWindowTest, DraggingTheSkinMovesTheLauncher) {
    OpenWindow(false);
    const wxPoint before = window->GetPosition();
    const wxPoint grab = At(400, 300);
    // Press, move, release, each handled before the next comes, as a hand does it.
    ASSERT_TRUE(
        Xdotool({"mousemove", std::to_string(grab.x), std::to_string(grab.y), "mousedown", "1"}));
    ASSERT_TRUE(WaitFor([this] { return wxWindow::GetCapture() == window->m_pWebCDlg; }));
    ASSERT_TRUE(Xdotool({"mousemove", std::to_string(grab.x + 100), std::to_string(grab.y + 50)}));
    EXPECT_TRUE(WaitFor([&] { return window->GetPosition() == before + wxPoint(100, 50); }))
        << window->GetPosition().x << "," << window->GetPosition().y;
    ASSERT_TRUE(Xdotool({"mouseup", "1"}));
    EXPECT_TRUE(WaitFor([] { return wxWindow::GetCapture() == nullptr; }));
}

TEST_F(LauncherWindowTest, PageCallsReachTheLauncherThroughWindowExternal) {
    ServeConfig("0.0.0.0");
    OpenWindow();
    ASSERT_TRUE(LoginPageShown());
    EXPECT_EQ(Script("window.external.JavascriptToCsharp('GetCommandLine', '')"),
              (launcherDir / "Brannoc").string());
    EXPECT_EQ(Script("String(window.external.JavascriptToCsharp('GetCommandLine'))"), "undefined");
    EXPECT_EQ(Script("(function(){try{window.external.javascripttocsharp('a','b');return 'no';}"
                     "catch(e){return e.name;}})()"),
              "TypeError");
    EXPECT_GE(bridge.RefCount(), 1);
}

// The road of a first installation: download, extraction, the login page, a rejected and then
// an accepted login, and the game started with its arguments and maximised.
TEST_F(LauncherWindowTest, AFirstInstallationStartsTheGameAfterTheLogin) {
    StartWindowManager();
    MakePackage();
    ServeConfig("1.0.0.1");
    const fs::path record = home / "game-record.txt";
    setenv("DEMO_GAME_RECORD", record.c_str(), 1);
    OpenWindow();
    ASSERT_TRUE(LoginPageShown());
    ASSERT_TRUE(Ready());
    EXPECT_EQ(Web().m_staticStatus->GetLabel().utf8_string(), "更新已完成");

    Script("window.external.JavascriptToCsharp('LoginResult', 'false|nope')");
    ASSERT_EQ(boxes.ShownBoxes().size(), 1u);
    EXPECT_EQ(boxes.ShownBoxes()[0].text, "登录验证未通过");
    EXPECT_FALSE(window->Ended());

    Script("window.external.JavascriptToCsharp('LoginResult', 'true|token 42')");
    ASSERT_TRUE(WaitFor([this] { return window->Ended(); }, std::chrono::seconds(15)));
    EXPECT_EQ(window->Result(), CWebDlg::kIdCancel);
    EXPECT_FALSE(window->IsShown());
    ASSERT_TRUE(WaitFor([&] { return fs::exists(record); }));
    const std::string nul(1, '\0');
    EXPECT_EQ(ReadFile(record),
              "cwd=" + (app->m_strClientDir / "vorn").string() + "\nsession_leader=1\narg=" +
                  (launcherDir / "Brannoc").string() + nul + "arg=--from-test" + nul +
                  "arg=--parameters=token 42" + nul + "arg=--plat_extra=region:test" + nul);
    // After a first installation the game's window ends up maximised.
    const pid_t game = Web().m_gameProcess;
    ASSERT_GT(game, 0);
    std::string state;
    EXPECT_TRUE(WaitFor([&] {
        std::string ids;
        Xdotool({"search", "--pid", std::to_string(game)}, &ids);
        if (ids.empty())
            return false;
        state = testsupport::RunProgram(
                    {"xprop", "-id", ids.substr(0, ids.find('\n')), "_NET_WM_STATE"}, {},
                    std::chrono::seconds(5), false)
                    .output;
        return state.find("_NET_WM_STATE_MAXIMIZED_VERT") != std::string::npos &&
               state.find("_NET_WM_STATE_MAXIMIZED_HORZ") != std::string::npos;
    })) << state;
    kill(game, SIGTERM);
    waitpid(game, nullptr, 0);
    const auto calls = reporter.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "event:9"), 1);
    EXPECT_EQ(calls.back(), "log:game start success");
}

// The login arrives while the package is still on its way: the game starts once it is in.
TEST_F(LauncherWindowTest, ALoginBeforeTheUpdateIsReadyWaitsForIt) {
    MakePackage();
    const std::string package = ReadFile(www / "pkg/1.0.0.1/vorn.zip");
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    testsupport::LoopbackServer slow(
        [&](const testsupport::HttpRequest&, testsupport::HttpConnection& connection) {
            std::unique_lock<std::mutex> lock(mutex);
            released.wait(lock, [&] { return release; });
            connection.Respond(200, package);
        });
    ServeConfig("1.0.0.1", slow.Url("/vorn.zip"));
    setenv("DEMO_GAME_RECORD", (home / "game-record.txt").c_str(), 1);
    OpenWindow();
    ASSERT_TRUE(LoginPageShown());
    ASSERT_TRUE(slow.WaitForRequests(1, std::chrono::seconds(10)));
    Script("window.external.JavascriptToCsharp('LoginResult', 'TRUE|early')");
    EXPECT_EQ(Web().m_bLoginSucceeded, 1);
    EXPECT_EQ(Web().m_bReady, 0);
    EXPECT_FALSE(window->Ended());
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    released.notify_all();
    ASSERT_TRUE(WaitFor([this] { return window->Ended(); }, std::chrono::seconds(20)));
    EXPECT_EQ(window->Result(), CWebDlg::kIdCancel);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(home / "game-record.txt"); }));
    EXPECT_NE(ReadFile(home / "game-record.txt").find("arg=--parameters=early"), std::string::npos);
    if (Web().m_gameProcess > 0) {
        kill(Web().m_gameProcess, SIGTERM);
        waitpid(Web().m_gameProcess, nullptr, 0);
    }
}

}  // namespace
