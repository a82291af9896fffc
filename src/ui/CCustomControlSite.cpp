#include "ui/CCustomControlSite.h"

#include <webkit2/webkit2.h>
#include <wx/utils.h>

#include "app/BuildConstants.h"
#include "ui/ExternalBridgeScript.h"
#include "ui/WxMessageBox.h"
#include "ui/X11KeyState.h"

namespace {

constexpr const char* kMessageCaption = "提示";

// With scrolling off the page's own document gets no scroll bars, whatever its size; frames
// inside it keep theirs.
constexpr const char* kNoScrollBarsCss = "html, body { overflow: hidden !important; }";

ui::FilterKey FilterKeyOf(guint keyval) {
    switch (gdk_keyval_to_lower(keyval)) {
        case GDK_KEY_F5:
            return ui::FilterKey::F5;
        case GDK_KEY_o:
            return ui::FilterKey::O;
        case GDK_KEY_p:
            return ui::FilterKey::P;
        case GDK_KEY_n:
            return ui::FilterKey::N;
        default:
            return ui::FilterKey::Other;
    }
}

// The wx web view answers WebKit's "create" by handing back the same view, which current
// WebKitGTK aborts on; the site answers it instead.
void DisconnectHandlers(WebKitWebView* view, const char* signal) {
    const guint id = g_signal_lookup(signal, WEBKIT_TYPE_WEB_VIEW);
    gulong handler;
    while ((handler = g_signal_handler_find(view, G_SIGNAL_MATCH_ID, id, 0, nullptr, nullptr,
                                            nullptr)) != 0) {
        g_signal_handler_disconnect(view, handler);
    }
}

}  // namespace

bool CCustomControlSite::XDocHostUIHandler::TranslateAccelerator(
    const ui::KeyEventFacts& key) const {
    return ui::IsKeySwallowed(key, IsKeyHeldOnKeyboard);
}

IExternalDispatch* CCustomControlSite::XDocHostUIHandler::GetExternal() const {
    IExternalDispatch* external = m_site.m_services.external;
    if (external != nullptr)
        external->AddRef();
    return external;
}

void CCustomControlSite::XDocHostShowUI::ShowMessage(std::string_view text) const {
    platform::IMessageBox* box = m_site.m_services.messageBox;
    if (box == nullptr)
        box = m_site.m_ownMessageBox.get();
    box->Show(text, kMessageCaption, platform::MessageIcon::Error, platform::MessageButtons::Ok);
}

CCustomControlSite::CCustomControlSite(wxWebView& view, BrowserHostServices services)
    : m_view(&view),
      m_native(WEBKIT_WEB_VIEW(view.GetNativeBackend())),
      m_services(std::move(services)),
      m_xDocHostShowUI(*this),
      m_xDocHostUIHandler(*this) {
    g_object_ref(m_native);
    if (m_services.messageBox == nullptr)
        m_ownMessageBox = std::make_unique<WxMessageBox>();

    // WebKit draws no border of its own around the page, and the view is created borderless,
    // so of the host flags only the scroll bars need work.
    WebKitUserContentManager* content = webkit_web_view_get_user_content_manager(m_native);
    if ((m_xDocHostUIHandler.GetHostInfo() & kScrollNo) != 0) {
        m_userStyleSheet =
            webkit_user_style_sheet_new(kNoScrollBarsCss, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                        WEBKIT_USER_STYLE_LEVEL_USER, nullptr, nullptr);
        webkit_user_content_manager_add_style_sheet(content, m_userStyleSheet);
    }
    if (m_services.external != nullptr) {
        m_marker = ui::MakeExternalMarker();
        const std::string script = ui::ExternalUserScript(m_marker, g_strJsMethodName);
        m_userScript =
            webkit_user_script_new(script.c_str(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                                   WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
        webkit_user_content_manager_add_script(content, m_userScript);
    }

    DisconnectHandlers(m_native, "create");
    Connect("create", G_CALLBACK(OnCreate));
    Connect("script-dialog", G_CALLBACK(OnScriptDialog));
    Connect("key-press-event", G_CALLBACK(OnKeyPress));
    Connect("context-menu", G_CALLBACK(OnContextMenu));
    view.Bind(wxEVT_WEBVIEW_NEWWINDOW, &CCustomControlSite::OnNewWindow, this);
    view.Bind(wxEVT_WEBVIEW_NAVIGATED, &CCustomControlSite::OnPageCommitted, this);
}

CCustomControlSite::~CCustomControlSite() {
    if (m_view) {
        m_view->Unbind(wxEVT_WEBVIEW_NEWWINDOW, &CCustomControlSite::OnNewWindow, this);
        m_view->Unbind(wxEVT_WEBVIEW_NAVIGATED, &CCustomControlSite::OnPageCommitted, this);
    }
    for (const gulong handler : m_handlers) {
        if (g_signal_handler_is_connected(m_native, handler))
            g_signal_handler_disconnect(m_native, handler);
    }
    // A view that is already gone took its scripts and style sheets with it.
    WebKitUserContentManager* content =
        m_view ? webkit_web_view_get_user_content_manager(m_native) : nullptr;
    if (m_userScript != nullptr) {
        if (content != nullptr)
            webkit_user_content_manager_remove_script(content, m_userScript);
        webkit_user_script_unref(m_userScript);
    }
    if (m_userStyleSheet != nullptr) {
        if (content != nullptr)
            webkit_user_content_manager_remove_style_sheet(content, m_userStyleSheet);
        webkit_user_style_sheet_unref(m_userStyleSheet);
    }
    // The pages that held the object go with the browser.
    if (m_services.external != nullptr) {
        for (; m_handOuts > 0; --m_handOuts)
            m_services.external->Release();
    }
    g_object_unref(m_native);
}

void CCustomControlSite::Connect(const char* signal, void (*callback)()) {
    m_handlers.push_back(g_signal_connect(m_native, signal, callback, this));
}

int CCustomControlSite::OnScriptDialog(_WebKitWebView*, void* dialogPointer, void* self) {
    auto& site = *static_cast<CCustomControlSite*>(self);
    auto* dialog = static_cast<WebKitScriptDialog*>(dialogPointer);
    const char* message = webkit_script_dialog_get_message(dialog);
    switch (webkit_script_dialog_get_dialog_type(dialog)) {
        case WEBKIT_SCRIPT_DIALOG_ALERT:
            site.m_xDocHostShowUI.ShowMessage(message != nullptr ? message : "");
            return TRUE;
        case WEBKIT_SCRIPT_DIALOG_PROMPT:
            if (!site.m_marker.empty() && message != nullptr && site.m_marker == message) {
                const char* call = webkit_script_dialog_prompt_get_default_text(dialog);
                const std::string answer = site.AnswerExternalCall(call != nullptr ? call : "");
                webkit_script_dialog_prompt_set_text(dialog, answer.c_str());
                return TRUE;
            }
            return FALSE;  // the page's own prompt
        default:
            return FALSE;
    }
}

std::string CCustomControlSite::AnswerExternalCall(std::string_view text) {
    IExternalDispatch* external = m_services.external;
    const auto call = ui::DecodeExternalCall(text);
    if (external == nullptr || !call)
        return ui::EncodeExternalResult(std::nullopt);
    const long id = external->GetIDOfName(call->member);
    if (id == IExternalDispatch::kDispIdUnknown)
        return ui::EncodeUnknownMember();
    return ui::EncodeExternalResult(external->Invoke(id, call->args));
}

int CCustomControlSite::OnKeyPress(void*, void* eventPointer, void* self) {
    const auto& site = *static_cast<CCustomControlSite*>(self);
    const auto* event = static_cast<GdkEventKey*>(eventPointer);
    const ui::KeyEventFacts facts{event->type == GDK_KEY_PRESS,
                                  (event->state & GDK_CONTROL_MASK) != 0,
                                  FilterKeyOf(event->keyval)};
    return site.m_xDocHostUIHandler.TranslateAccelerator(facts) ? TRUE : FALSE;
}

int CCustomControlSite::OnContextMenu(_WebKitWebView*, void*, void*, void*, void* self) {
    const auto& site = *static_cast<CCustomControlSite*>(self);
    return site.m_xDocHostUIHandler.ShowContextMenu() ? TRUE : FALSE;
}

void* CCustomControlSite::OnCreate(_WebKitWebView*, void* actionPointer, void* self) {
    const auto& site = *static_cast<CCustomControlSite*>(self);
    auto* action = static_cast<WebKitNavigationAction*>(actionPointer);
    const char* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    if (uri != nullptr && *uri != '\0')
        site.OpenInDefaultBrowser(uri);
    return nullptr;  // no new view: the page stays where it is
}

void CCustomControlSite::OnNewWindow(wxWebViewEvent& event) {
    // The web view has already refused the new window itself.
    const std::string url = event.GetURL().utf8_string();
    if (!url.empty())
        OpenInDefaultBrowser(url);
}

void CCustomControlSite::OnPageCommitted(wxWebViewEvent& event) {
    event.Skip();
    if (m_xDocHostUIHandler.GetExternal() != nullptr)
        ++m_handOuts;
}

void CCustomControlSite::OpenInDefaultBrowser(const std::string& url) const {
    if (m_services.openInDefaultBrowser)
        m_services.openInDefaultBrowser(url);
    else
        wxLaunchDefaultBrowser(wxString::FromUTF8(url));
}
