#pragma once
// The host policy of the embedded browser, applied to a wx web view through its WebKit view:
// no context menu, no scroll bars and no border, refresh/open/print/new-window keys swallowed,
// page message boxes shown as the launcher's own error box, new windows sent to the default
// browser while the page stays, and window.external answered by the launcher's bridge object.
// The two handler objects carry the policy's answers; the site wires them to WebKit.

#include <wx/webview.h>
// After the view's header: the weak reference needs the complete class.
#include <wx/weakref.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MessageBox.h"
#include "ui/IExternalDispatch.h"
#include "ui/KeyFilter.h"

struct _WebKitWebView;
struct _WebKitUserScript;
struct _WebKitUserStyleSheet;

// What the host policy needs from the rest of the launcher. Everything may stay empty.
struct BrowserHostServices {
    // window.external for every page; without one, pages have no window.external.
    IExternalDispatch* external = nullptr;
    // Page message boxes; without one, wx dialogs.
    platform::IMessageBox* messageBox = nullptr;
    // Where new-window requests go; without one, the desktop's default browser.
    std::function<void(const std::string& url)> openInDefaultBrowser;
};

class CCustomControlSite {
  public:
    // Host flags every page gets.
    static constexpr unsigned kNo3DBorder = 0x04;
    static constexpr unsigned kScrollNo = 0x08;

    class XDocHostUIHandler {
      public:
        explicit XDocHostUIHandler(CCustomControlSite& site) : m_site(site) {}
        // The page's context menu: nothing is shown (true: handled here).
        bool ShowContextMenu() const { return true; }
        unsigned GetHostInfo() const { return kNo3DBorder | kScrollNo; }
        // True when the key never reaches the page.
        bool TranslateAccelerator(const ui::KeyEventFacts& key) const;
        // The bridge object with one more reference, or nullptr when there is none.
        IExternalDispatch* GetExternal() const;

      private:
        CCustomControlSite& m_site;
    };

    class XDocHostShowUI {
      public:
        explicit XDocHostShowUI(CCustomControlSite& site) : m_site(site) {}
        // Any message box of the page: the launcher's modal error box, caption "提示", the
        // page's text. The page's own caption and buttons are not used.
        void ShowMessage(std::string_view text) const;
        // Page help: nothing.
        bool ShowHelp() const { return true; }

      private:
        CCustomControlSite& m_site;
    };

    CCustomControlSite(wxWebView& view, BrowserHostServices services);
    ~CCustomControlSite();
    CCustomControlSite(const CCustomControlSite&) = delete;
    CCustomControlSite& operator=(const CCustomControlSite&) = delete;

    // References to window.external's object handed to pages so far (one per page loaded).
    long HandOuts() const { return m_handOuts; }

  private:
    static int OnScriptDialog(_WebKitWebView* view, void* dialog, void* self);
    static int OnKeyPress(void* widget, void* event, void* self);
    static int OnContextMenu(_WebKitWebView* view, void* menu, void* event, void* hit, void* self);
    static void* OnCreate(_WebKitWebView* view, void* action, void* self);
    void OnNewWindow(wxWebViewEvent& event);
    void OnPageCommitted(wxWebViewEvent& event);
    std::string AnswerExternalCall(std::string_view call);
    void OpenInDefaultBrowser(const std::string& url) const;
    void Connect(const char* signal, void (*callback)());

    wxWeakRef<wxWebView> m_view;
    _WebKitWebView* m_native;  // one reference held for the site's life
    BrowserHostServices m_services;
    std::unique_ptr<platform::IMessageBox> m_ownMessageBox;
    XDocHostShowUI m_xDocHostShowUI;
    XDocHostUIHandler m_xDocHostUIHandler;
    std::string m_marker;
    std::vector<unsigned long> m_handlers;
    _WebKitUserScript* m_userScript = nullptr;          // owned
    _WebKitUserStyleSheet* m_userStyleSheet = nullptr;  // owned
    long m_handOuts = 0;
};
