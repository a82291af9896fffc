#include "ui/CWebBrowser2.h"

CWebBrowser2::CWebBrowser2() = default;

// The policy goes first; the view itself is destroyed with its parent window.
CWebBrowser2::~CWebBrowser2() = default;

bool CWebBrowser2::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                          BrowserHostServices services) {
    if (m_pWebView != nullptr || !wxWebView::IsBackendAvailable(wxWebViewBackendWebKit))
        return false;
    m_pWebView = wxWebView::New(parent, id, wxWebViewDefaultURLStr, pos, size,
                                wxWebViewBackendWebKit, wxBORDER_NONE);
    if (m_pWebView == nullptr)
        return false;
    m_pCustomControlSite = std::make_unique<CCustomControlSite>(*m_pWebView, std::move(services));
    return true;
}

void CWebBrowser2::Navigate(const std::string& url) {
    if (m_pWebView != nullptr)
        m_pWebView->LoadURL(wxString::FromUTF8(url));
}
