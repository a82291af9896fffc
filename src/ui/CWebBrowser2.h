#pragma once
// The embedded browser as the main web window holds it: a wx web view on WebKitGTK with the
// launcher's host policy (CCustomControlSite) applied from its creation to its end.

#include <wx/webview.h>

#include <memory>
#include <string>

#include "ui/CCustomControlSite.h"

class CWebBrowser2 {
  public:
    CWebBrowser2();
    ~CWebBrowser2();
    CWebBrowser2(const CWebBrowser2&) = delete;
    CWebBrowser2& operator=(const CWebBrowser2&) = delete;

    // Creates the browser as a child of `parent`, showing about:blank. False when no web view
    // can be created. The view belongs to its parent window; the policy to this object.
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                BrowserHostServices services);

    // Loads `url`, as it is (no encoding). UI thread only.
    void Navigate(const std::string& url);

    wxWebView* GetControl() const { return m_pWebView; }
    const CCustomControlSite* GetSite() const { return m_pCustomControlSite.get(); }

  private:
    wxWebView* m_pWebView = nullptr;
    std::unique_ptr<CCustomControlSite> m_pCustomControlSite;
};
