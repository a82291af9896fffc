// The browser's host policy on a real display, against pages from SetPage and a loopback server.
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include <algorithm>
#include <memory>

#include "support/GuiTest.h"
#include "support/LoopbackServer.h"
#include "support/Recorders.h"
#include "ui/CWebBrowser2.h"
#include "ui/ExternalBridgeScript.h"

namespace {

using testsupport::Rgb8;

// The bridge object as the page sees it: one member, "JavascriptToCsharp" (id 1), which answers
// with its last two arguments and gives no value for fewer than two, like the real one.
class FakeExternal : public IExternalDispatch {
  public:
    long AddRef() override { return ++m_refs; }
    long Release() override { return --m_refs; }
    long GetIDOfName(std::string_view name) override {
        return name == "JavascriptToCsharp" ? 1 : kDispIdUnknown;
    }
    std::optional<std::string> Invoke(long dispId, const std::vector<std::string>& args) override {
        m_calls.push_back(args);
        if (dispId != 1 || args.size() < 2)
            return std::nullopt;
        return "echo:" + args[args.size() - 2] + "|" + args.back();
    }

    long m_refs = 0;
    std::vector<std::vector<std::string>> m_calls;
};

class BrowserGuiTest : public testsupport::GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure())
            return;
        m_frame = new wxFrame(nullptr, wxID_ANY, "browser", wxPoint(0, 0), wxSize(700, 600),
                              wxBORDER_NONE);
        m_panel = new wxPanel(m_frame);
        m_browser = std::make_unique<CWebBrowser2>();
        BrowserHostServices services;
        services.external = &m_external;
        services.messageBox = &m_boxes;
        services.openInDefaultBrowser = [this](const std::string& url) { m_opened.push_back(url); };
        ASSERT_TRUE(m_browser->Create(m_panel, 1005, wxPoint(20, 20), wxSize(600, 500), services));
        View().Bind(wxEVT_WEBVIEW_LOADED, [this](wxWebViewEvent& e) {
            ++m_loads;
            e.Skip();
        });
        m_frame->Show();
        ASSERT_TRUE(WaitFor([this] { return View().IsShownOnScreen() && m_loads > 0; }));
    }

    void TearDown() override {
        m_browser.reset();
        GuiTest::TearDown();
    }

    wxWebView& View() const { return *m_browser->GetControl(); }
    WebKitWebView* Native() const { return WEBKIT_WEB_VIEW(View().GetNativeBackend()); }

    bool Loaded(const std::function<void()>& load) {
        const int before = m_loads;
        load();
        return WaitFor([&] { return m_loads > before; }) &&
               WaitFor([&] { return Script("document.readyState") == "complete"; });
    }
    bool SetPage(const std::string& html) {
        return Loaded([&] { View().SetPage(wxString::FromUTF8(html), "http://127.0.0.1/"); });
    }
    bool Navigate(const std::string& url) {
        return Loaded([&] { m_browser->Navigate(url); });
    }

    std::string Script(const std::string& js) { return RunScript(View(), js).value_or("<none>"); }

    // A point of the page (CSS pixels from its top-left corner) on the screen.
    wxPoint PagePoint(int x, int y) const { return View().ClientToScreen(wxPoint(x, y)); }
    bool Click(int x, int y, const std::string& button = "1") {
        const wxPoint p = PagePoint(x, y);
        return Xdotool({"mousemove", std::to_string(p.x), std::to_string(p.y), "click", button});
    }

    FakeExternal m_external;
    testsupport::ScriptedMessageBox m_boxes;
    std::vector<std::string> m_opened;
    int m_loads = 0;
    wxFrame* m_frame = nullptr;
    wxPanel* m_panel = nullptr;
    std::unique_ptr<CWebBrowser2> m_browser;
};

TEST_F(BrowserGuiTest, WindowExternalCallsReachTheBridgeObject) {
    ASSERT_TRUE(SetPage("<html><body>bridge</body></html>"));
    EXPECT_EQ(Script("typeof window.external"), "object");
    EXPECT_EQ(Script("window.external.JavascriptToCsharp('LoginResult', 'true|abc')"),
              "echo:LoginResult|true|abc");
    ASSERT_EQ(m_external.m_calls.size(), 1u);
    EXPECT_EQ(m_external.m_calls[0], (std::vector<std::string>{"LoginResult", "true|abc"}));

    struct Case {
        const char* call;
        const char* result;
        std::vector<std::string> args;
    } cases[] = {
        // one argument: the object gives no value
        {"typeof window.external.JavascriptToCsharp('GetCommandLine')",
         "undefined",
         {"GetCommandLine"}},
        {"window.external.JavascriptToCsharp()", "undefined", {}},
        // more than two: all of them reach the object, in script order
        {"window.external.JavascriptToCsharp('a', 'b', 'c')", "echo:b|c", {"a", "b", "c"}},
        // non-strings as String() gives them
        {"window.external.JavascriptToCsharp(1, null)", "echo:1|null", {"1", "null"}},
        {"window.external.JavascriptToCsharp(undefined, {})",
         "echo:undefined|[object Object]",
         {"undefined", "[object Object]"}},
        {"window.external.JavascriptToCsharp(true, [1, 2])", "echo:true|1,2", {"true", "1,2"}},
    };
    for (const auto& c : cases) {
        m_external.m_calls.clear();
        EXPECT_EQ(Script(c.call), c.result) << c.call;
        ASSERT_EQ(m_external.m_calls.size(), 1u) << c.call;
        EXPECT_EQ(m_external.m_calls[0], c.args) << c.call;
    }

    // Another letter case is no member: the script's usual TypeError, and the object never
    // hears of it.
    m_external.m_calls.clear();
    EXPECT_EQ(Script("try { window.external.javascripttocsharp('a', 'b'); 'called' } "
                     "catch (e) { e instanceof TypeError ? 'TypeError' : String(e) }"),
              "TypeError");
    EXPECT_TRUE(m_external.m_calls.empty());
}

TEST_F(BrowserGuiTest, AnyTextPassesBothWaysUnchanged) {
    ASSERT_TRUE(SetPage("<html><body>texts</body></html>"));
    const std::string texts[] = {
        "say \"hi\" and 'bye' \\ back",
        "line\nbreak\r\nend\ttab",
        "status|params|more",
        "正在下载：中文テキスト 😀",
        std::string("nul\0inside", 10),
        "%2C%25%00,,%,",
        std::string(100000, 'x') + "end",
        "",
    };
    for (const auto& text : texts) {
        m_external.m_calls.clear();
        const std::string literal = ui::JsStringLiteral(text);
        EXPECT_EQ(Script("window.external.JavascriptToCsharp('m', " + literal +
                         ") === 'echo:m|' + " + literal),
                  "true")
            << text.substr(0, 40);
        ASSERT_EQ(m_external.m_calls.size(), 1u);
        EXPECT_EQ(m_external.m_calls[0].at(1), text) << text.substr(0, 40);
    }
}

// The page's own prompt() is not the bridge's: it goes on to whoever shows prompts.
gboolean AnswerPrompt(WebKitWebView*, WebKitScriptDialog* dialog, gpointer) {
    if (webkit_script_dialog_get_dialog_type(dialog) != WEBKIT_SCRIPT_DIALOG_PROMPT)
        return FALSE;
    const std::string answer = std::string("seen:") + webkit_script_dialog_get_message(dialog);
    webkit_script_dialog_prompt_set_text(dialog, answer.c_str());
    return TRUE;
}

TEST_F(BrowserGuiTest, PagesOwnPromptStillWorks) {
    g_signal_connect(Native(), "script-dialog", G_CALLBACK(AnswerPrompt), nullptr);
    ASSERT_TRUE(SetPage("<html><body>prompt</body></html>"));
    EXPECT_EQ(Script("prompt('question', 'default')"), "seen:question");
    EXPECT_EQ(Script("window.external.JavascriptToCsharp('a', 'b')"), "echo:a|b");
    // A page replacing prompt() does not cut the bridge off.
    EXPECT_EQ(Script("window.prompt = function () { return 'hijacked'; }; "
                     "window.external.JavascriptToCsharp('a', 'c')"),
              "echo:a|c");
}

TEST_F(BrowserGuiTest, EveryPageGetsTheObjectWithOneMoreReference) {
    const long start = m_external.m_refs;
    ASSERT_TRUE(SetPage("<html><body>one</body></html>"));
    EXPECT_EQ(m_external.m_refs, start + 1);
    ASSERT_TRUE(SetPage("<html><body>two</body></html>"));
    EXPECT_EQ(m_external.m_refs, start + 2);
    EXPECT_EQ(m_browser->GetSite()->HandOuts(), start + 2);
    EXPECT_EQ(Script("window.external.JavascriptToCsharp('on', 'two')"), "echo:on|two");
    // The pages go with the browser, and so do their references.
    m_browser.reset();
    EXPECT_EQ(m_external.m_refs, 0);
}

TEST_F(BrowserGuiTest, AlertsShowTheLaunchersErrorBox) {
    ASSERT_TRUE(SetPage("<html><body>alert</body></html>"));
    EXPECT_EQ(Script("alert('x'); 'after'"), "after");
    ASSERT_EQ(m_boxes.ShownBoxes().size(), 1u);
    const auto& box = m_boxes.ShownBoxes()[0];
    EXPECT_EQ(box.text, "x");
    EXPECT_EQ(box.caption, "提示");
    EXPECT_EQ(box.icon, platform::MessageIcon::Error);
    EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
}

TEST_F(BrowserGuiTest, NewWindowsGoToTheDefaultBrowserWhileThePageStays) {
    testsupport::LoopbackServer server(
        [](const testsupport::HttpRequest& r, testsupport::HttpConnection& c) {
            if (r.target != "/page") {
                c.Respond(404, "no");
                return;
            }
            c.Respond(200,
                      "<html><body style='margin:0'>"
                      "<a id=link target=_blank href='/new?a=1' style='position:absolute;left:0;"
                      "top:0;width:200px;height:60px;display:block;background:#8c8'>new</a>"
                      "<button id=open onclick=\"window.open('/popup')\" style='position:absolute;"
                      "left:0;top:100px;width:200px;height:60px'>open</button>"
                      "<script>window.stays = 'yes';</script></body></html>",
                      "Content-Type: text/html; charset=utf-8\r\n");
        });
    const std::string page = server.Url("/page");
    ASSERT_TRUE(Navigate(page));

    ASSERT_TRUE(Click(100, 30));
    EXPECT_TRUE(WaitFor([&] { return m_opened.size() == 1; }));
    ASSERT_TRUE(Click(100, 130));
    EXPECT_TRUE(WaitFor([&] { return m_opened.size() == 2; }));
    EXPECT_EQ(m_opened, (std::vector<std::string>{server.Url("/new?a=1"), server.Url("/popup")}));

    EXPECT_EQ(Script("window.stays"), "yes");
    EXPECT_EQ(View().GetCurrentURL().utf8_string(), page);
    for (const auto& request : server.Requests())
        EXPECT_EQ(request.target.rfind("/page", 0) == 0 || request.target == "/favicon.ico", true)
            << request.target;
    EXPECT_EQ(wxTopLevelWindows.size(), 1u);
}

// Records the keys that reach a top-level window, before the window or anything inside it
// handles them (the toolkit's own handler would stop a plain signal handler from seeing them).
class WindowKeys {
  public:
    WindowKeys()
        : m_signal(g_signal_lookup("key-press-event", GTK_TYPE_WIDGET)),
          m_hook(g_signal_add_emission_hook(m_signal, 0, &WindowKeys::Seen, this, nullptr)) {}
    ~WindowKeys() { g_signal_remove_emission_hook(m_signal, m_hook); }
    long Count(guint keyval) const { return std::count(m_keys.begin(), m_keys.end(), keyval); }

  private:
    static gboolean Seen(GSignalInvocationHint*, guint, const GValue* values, gpointer self) {
        GObject* widget = G_OBJECT(g_value_get_object(&values[0]));
        const auto* event = static_cast<const GdkEventKey*>(g_value_get_boxed(&values[1]));
        if (GTK_IS_WINDOW(widget) && event != nullptr)
            static_cast<WindowKeys*>(self)->m_keys.push_back(gdk_keyval_to_lower(event->keyval));
        return TRUE;
    }
    guint m_signal;
    gulong m_hook;
    std::vector<guint> m_keys;
};

TEST_F(BrowserGuiTest, PageGetsItsKeysButNotRefreshOpenPrintOrNewWindow) {
    testsupport::LoopbackServer server(
        [](const testsupport::HttpRequest& r, testsupport::HttpConnection& c) {
            if (r.target != "/form") {
                c.Respond(404, "no");
                return;
            }
            c.Respond(200,
                      "<html><body style='margin:0'>"
                      "<form id=form onsubmit='window.submitted = true; return false;'>"
                      "<input id=a style='position:absolute;left:10px;top:10px;width:200px'>"
                      "<input id=b style='position:absolute;left:10px;top:60px;width:200px'>"
                      "<button type=submit style='position:absolute;left:10px;top:110px'>go"
                      "</button></form><script>window.keys = [];"
                      "document.addEventListener('keydown', function (e) {"
                      "  keys.push((e.ctrlKey ? 'ctrl+' : '') + e.key); }, true);"
                      "</script></body></html>",
                      "Content-Type: text/html; charset=utf-8\r\n");
        });
    ASSERT_TRUE(Navigate(server.Url("/form")));
    WindowKeys windowKeys;
    const auto keys = [&] { return Script("keys.join(' ')"); };
    const auto pageSaw = [&](const std::string& key) {
        return WaitFor(
            [&] { return (" " + keys() + " ").find(" " + key + " ") != std::string::npos; });
    };

    ASSERT_TRUE(Click(60, 20));
    ASSERT_TRUE(WaitFor([&] { return Script("document.activeElement.id") == "a"; }));
    ASSERT_TRUE(Xdotool({"type", "abc"}));
    EXPECT_TRUE(WaitFor([&] { return Script("a.value") == "abc"; }));
    ASSERT_TRUE(Xdotool({"key", "Tab"}));
    EXPECT_TRUE(WaitFor([&] { return Script("document.activeElement.id") == "b"; }));
    ASSERT_TRUE(Xdotool({"key", "shift+Tab", "ctrl+a", "ctrl+c", "Tab", "ctrl+v"}));
    EXPECT_TRUE(WaitFor([&] { return Script("b.value") == "abc"; }));
    ASSERT_TRUE(Xdotool({"key", "Return"}));
    EXPECT_TRUE(WaitFor([&] { return Script("window.submitted === true") == "true"; }));

    // Refresh, open, print, new window: swallowed. The key after them shows they have passed.
    ASSERT_TRUE(Xdotool({"key", "F5", "ctrl+o", "ctrl+p", "ctrl+n", "ctrl+shift+N", "z"}));
    EXPECT_TRUE(pageSaw("z"));
    // A key pressed while F5 is held is swallowed too; once F5 is up, keys pass again.
    ASSERT_TRUE(Xdotool({"keydown", "F5"}));
    ASSERT_TRUE(WaitFor([&] { return windowKeys.Count(GDK_KEY_F5) >= 2; }));
    ASSERT_TRUE(Xdotool({"key", "q"}));
    ASSERT_TRUE(WaitFor([&] { return windowKeys.Count(GDK_KEY_q) == 1; }));
    ASSERT_TRUE(Xdotool({"keyup", "F5"}));
    ASSERT_TRUE(Xdotool({"key", "w"}));
    EXPECT_TRUE(pageSaw("w"));

    const std::string seen = keys();
    for (const char* key : {"F5", "ctrl+o", "ctrl+p", "ctrl+n", "ctrl+N", "q"})
        EXPECT_EQ((" " + seen + " ").find(std::string(" ") + key + " "), std::string::npos)
            << key << " reached the page: " << seen;
    size_t pageLoads = 0;
    for (const auto& request : server.Requests())
        pageLoads += request.target == "/form" ? 1 : 0;
    EXPECT_EQ(pageLoads, 1u) << "the page was reloaded";
    EXPECT_EQ(Script("a.value + '/' + b.value"), "abc/abczw");
}

TEST_F(BrowserGuiTest, NoScrollBarsAndNoBorderEvenWhenTheContentIsLarger) {
    ASSERT_TRUE(
        SetPage("<html><body style='margin:0;background:#204080'>"
                "<div style='width:3000px;height:3000px'></div></body></html>"));
    const wxRect view(View().GetScreenPosition(), View().GetSize());
    const Rgb8 page{0x20, 0x40, 0x80};
    // The right and bottom edges, where scroll bars would be, show the page's colour, and so
    // do the outermost rows and columns, where a border would be.
    const auto edgesArePage = [&] {
        const auto shot = Grab(view);
        for (int x = view.x; x <= view.GetRight(); ++x)
            if (shot.At(x, view.y) != page)
                return false;
        for (int y = view.y; y <= view.GetBottom(); ++y)
            if (shot.At(view.x, y) != page)
                return false;
        for (int y = view.y; y < view.GetBottom(); ++y)
            for (int x = view.GetRight() - 20; x <= view.GetRight(); ++x)
                if (shot.At(x, y) != page)
                    return false;
        for (int y = view.GetBottom() - 20; y <= view.GetBottom(); ++y)
            for (int x = view.x; x <= view.GetRight(); ++x)
                if (shot.At(x, y) != page)
                    return false;
        return true;
    };
    EXPECT_TRUE(WaitFor(edgesArePage));
}

// Visible pop-up windows of the process (menus live in them).
int VisiblePopups() {
    int count = 0;
    GList* windows = gtk_window_list_toplevels();
    for (GList* w = windows; w != nullptr; w = w->next) {
        if (gtk_widget_get_visible(GTK_WIDGET(w->data)) &&
            gtk_window_get_window_type(GTK_WINDOW(w->data)) == GTK_WINDOW_POPUP)
            ++count;
    }
    g_list_free(windows);
    return count;
}

TEST_F(BrowserGuiTest, RightClickShowsNoContextMenu) {
    ASSERT_TRUE(
        SetPage("<html><body style='margin:0;height:400px'>menu<script>"
                "window.buttons = [];"
                "document.addEventListener('mousedown', function (e) {"
                "  buttons.push(e.button); });</script></body></html>"));
    const int popups = VisiblePopups();
    ASSERT_TRUE(Click(100, 100, "3"));
    ASSERT_TRUE(WaitFor([&] { return Script("buttons.join()") == "2"; }));
    // An open menu would hold the mouse, and this click would only close it.
    ASSERT_TRUE(Click(120, 120, "1"));
    EXPECT_TRUE(WaitFor([&] { return Script("buttons.join()") == "2,0"; }));
    EXPECT_EQ(VisiblePopups(), popups);
}

}  // namespace
