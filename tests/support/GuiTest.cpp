#include "support/GuiTest.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <webkit2/webkit2.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/toplevel.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "support/Programs.h"
#include "support/TempHome.h"
#include "support/XvfbDisplay.h"

namespace testsupport {

namespace {

class TestApp : public wxApp {
  public:
    bool OnInit() override { return true; }
};

// The browser's helper processes outlive its views; left alone they would write their caches
// into the private home after it has been removed.
void StopBrowserProcesses() {
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const size_t open = text.find('(');
        const size_t close = text.rfind(')');
        if (open == std::string::npos || close == std::string::npos || close + 4 > text.size())
            continue;
        const std::string name = text.substr(open + 1, close - open - 1);
        const long parent = std::strtol(text.c_str() + close + 4, nullptr, 10);
        if (parent == getpid() && name.rfind("WebKit", 0) == 0)
            children.push_back(static_cast<pid_t>(std::stol(entry.path().filename().string())));
    }
    for (const pid_t child : children)
        kill(child, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (const pid_t child : children) {
        while (waitpid(child, nullptr, WNOHANG) == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Everything a window test process shares, in the order it must come up and go down.
class GuiWorld {
  public:
    GuiWorld() {
        if (!m_display.Running())
            return;
        setenv("DISPLAY", m_display.Name().c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        setenv("GDK_BACKEND", "x11", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        // Classic scroll bars, always on the screen, rather than overlays that show on hover.
        setenv("GTK_OVERLAY_SCROLLING", "0", 1);
        wxApp::SetInstance(new TestApp);  // wx owns and deletes the application object
        static char name[] = "gui-test";
        static char* argv[] = {name, nullptr};
        int argc = 1;
        if (!wxEntryStart(argc, argv))
            return;
        m_started = wxTheApp->CallOnInit();
        m_loop = std::make_unique<wxGUIEventLoop>();
        wxEventLoopBase::SetActive(m_loop.get());
    }
    ~GuiWorld() {
        if (m_loop) {
            wxEventLoopBase::SetActive(nullptr);
            m_loop.reset();
        }
        if (wxTheApp != nullptr)
            wxEntryCleanup();
        StopBrowserProcesses();
    }
    bool Started() const { return m_started; }
    const std::string& DisplayName() const { return m_display.Name(); }

  private:
    TempHome m_home;  // before the display: the toolkit and the browser keep their files here
    XvfbDisplay m_display{"1600x1000x24", true};
    std::unique_ptr<wxGUIEventLoop> m_loop;
    bool m_started = false;
};

std::unique_ptr<GuiWorld>& World() {
    static std::unique_ptr<GuiWorld> world;
    return world;
}

}  // namespace

void GuiTest::SetUp() {
    if (!World())
        World() = std::make_unique<GuiWorld>();
    ASSERT_TRUE(World()->Started()) << "no Xvfb display or no wx application";
}

void GuiTest::TearDown() {
    if (!World() || !World()->Started())
        return;
    for (wxWindow* window : wxTopLevelWindows)
        window->Destroy();
    WaitFor([] { return wxTopLevelWindows.empty(); }, std::chrono::seconds(5));
}

void GuiTest::Pump() {
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    if (loop == nullptr)
        return;
    while (loop->Pending())
        loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
    loop->ProcessIdle();
}

bool GuiTest::WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        if (loop != nullptr) {
            loop->DispatchTimeout(20);
            wxTheApp->ProcessPendingEvents();
            loop->ProcessIdle();
        }
    }
    return true;
}

bool GuiTest::Xdotool(const std::vector<std::string>& args, std::string* output) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramResult result = RunProgram(argv, {}, std::chrono::seconds(10), false);
    if (output != nullptr)
        *output = result.output;
    return result.finished && result.exitCode == 0;
}

Screenshot GuiTest::Grab(const wxRect& area) {
    Pump();
    return GrabScreen(DisplayName(), area.x, area.y, area.width, area.height);
}

namespace {

struct ScriptOutcome {
    bool done = false;
    std::optional<std::string> value;
};

void OnScriptDone(GObject* view, GAsyncResult* asyncResult, gpointer data) {
    // The outcome is shared with the caller, who may have stopped waiting already.
    std::unique_ptr<std::shared_ptr<ScriptOutcome>> holder(
        static_cast<std::shared_ptr<ScriptOutcome>*>(data));
    ScriptOutcome& outcome = **holder;
    GError* error = nullptr;
    JSCValue* value =
        webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(view), asyncResult, &error);
    if (value != nullptr) {
        gchar* text = jsc_value_to_string(value);
        outcome.value = text != nullptr ? text : "";
        g_free(text);
        g_object_unref(value);
    }
    if (error != nullptr)
        g_error_free(error);
    outcome.done = true;
}

}  // namespace

std::optional<std::string> GuiTest::RunScript(wxWebView& view, const std::string& script,
                                              std::chrono::milliseconds bound) {
    auto outcome = std::make_shared<ScriptOutcome>();
    auto* native = WEBKIT_WEB_VIEW(view.GetNativeBackend());
    webkit_web_view_evaluate_javascript(native, script.c_str(), -1, nullptr, nullptr, nullptr,
                                        OnScriptDone, new std::shared_ptr<ScriptOutcome>(outcome));
    if (!WaitFor([&] { return outcome->done; }, bound))
        return std::nullopt;
    return outcome->value;
}

const std::string& GuiTest::DisplayName() {
    static const std::string none;
    return World() ? World()->DisplayName() : none;
}

}  // namespace testsupport
