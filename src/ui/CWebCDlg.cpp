#include "ui/CWebCDlg.h"

#include <wx/frame.h>

#include <algorithm>
#include <memory>

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "app/CWebApp.h"
#include "res/Resources.h"
#include "ui/CGradientProgressCtrl.h"
#include "ui/CPngButton.h"
#include "ui/CStaticEx.h"
#include "ui/CWebDlg.h"
#include "update/CGameRemoteConfig.h"

namespace {

// Where the controls lie, in the window's pixels. The progress bar ends before the browser's
// frame so that a full bar is all visible; the labels are tall enough for their 20-pixel text.
const wxRect kProgressRect(12, 584, 848, 13);
const wxRect kStageRect(533, 554, 110, 24);
const wxRect kPercentRect(645, 554, 100, 24);
const wxRect kStatusRect(12, 554, 560, 24);
const wxRect kBrowserRect(880, 69, 400, 566);

const wxColour kBarColour(0, 132, 255);
const wxColour kBarBack(105, 105, 105);

// Creates a child window; the parent owns it from then on. nullptr when it cannot be made.
template <typename T, typename... Args>
T* MakeChild(Args&&... createArgs) {
    auto child = std::make_unique<T>();
    if (!child->Create(std::forward<Args>(createArgs)...)) {
        return nullptr;
    }
    return child.release();
}

GameLaunchSettings LaunchSettings(const WindowServices& services) {
    GameLaunchSettings settings;
    settings.clientDir = services.app.m_strClientDir;
    settings.launcherArgv = services.app.Services().arguments;
    settings.launcherPath = services.app.Services().ownExecutable;
    std::shared_ptr<CGameRemoteConfig> config = services.config;
    settings.customParameters = [config] {
        return config ? config->Config().GetCustomParameters() : std::string();
    };
    settings.versionFileMissing = [config] {
        return config ? config->Installed().versionFileMissing : false;
    };
    return settings;
}

}  // namespace

CWebCDlg::CWebCDlg(CWebDlg& owner, const WindowServices& services, ILaunchHost& host)
    : CWebCDlgLogic(LaunchSettings(services), services.reporter, services.messageBox, host),
      m_owner(owner),
      m_services(services) {}

bool CWebCDlg::Create(const wxImage& skin) {
    if (!CSkinPanel::Create(&m_owner, wxID_ANY, skin, wxPoint(0, 0), *wxBLACK)) {
        return false;
    }
    SetSize(kBrowserRect.GetRight() + 1, 725);

    m_progress = MakeChild<CGradientProgressCtrl>(this, kIdProgress, kProgressRect.GetPosition(),
                                                  kProgressRect.GetSize());
    m_staticStage = MakeChild<CStaticEx>(this, kIdStage, wxString::FromUTF8("正在更新......"),
                                         kStageRect.GetPosition(), kStageRect.GetSize());
    m_staticPercent = MakeChild<CStaticEx>(this, kIdPercent, wxString("0%"),
                                           kPercentRect.GetPosition(), kPercentRect.GetSize());
    m_staticStatus = MakeChild<CStaticEx>(this, kIdStatus, wxString::FromUTF8("正在更新....."),
                                          kStatusRect.GetPosition(), kStatusRect.GetSize());
    if (m_progress == nullptr || m_staticStage == nullptr || m_staticPercent == nullptr ||
        m_staticStatus == nullptr) {
        return false;
    }

    BrowserHostServices host;
    host.external = m_services.external;
    host.messageBox = &m_services.messageBox;
    host.openInDefaultBrowser = m_services.openUrl;
    m_browser.Create(this, kIdBrowser, kBrowserRect.GetPosition(), kBrowserRect.GetSize(), host);

    m_progress->SetRange(0, 100);
    m_progress->ShowPercent(false);
    m_progress->SetStartColor(kBarColour);
    m_progress->SetEndColor(kBarColour);
    m_progress->SetBkColor(kBarBack);
    m_progress->SetPos(0);
    for (wxWindow* control : std::initializer_list<wxWindow*>{m_progress, m_staticStatus,
                                                              m_staticStage, m_staticPercent}) {
        control->Hide();
        // The controls without an action of their own move the launcher like the skin does.
        control->Bind(wxEVT_LEFT_DOWN, &CWebCDlg::BeginDrag, this);
        control->Bind(wxEVT_MOTION, &CWebCDlg::Drag, this);
        control->Bind(wxEVT_LEFT_UP, &CWebCDlg::EndDrag, this);
    }
    Bind(wxEVT_LEFT_DOWN, &CWebCDlg::BeginDrag, this);
    Bind(wxEVT_MOTION, &CWebCDlg::Drag, this);
    Bind(wxEVT_LEFT_UP, &CWebCDlg::EndDrag, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [](wxMouseCaptureLostEvent&) {});
    return true;
}

CPngButton* CWebCDlg::AddButton(int id, int x, int y, int width, int height, int normal,
                                int pressed, std::function<void()> onClick) {
    CPngButton* button =
        MakeChild<CPngButton>(x, y, width, height, this, id, normal, pressed, pressed, normal);
    if (button != nullptr) {
        button->m_onClick = std::move(onClick);
    }
    return button;
}

void CWebCDlg::CreateButtons() {
    if (m_bButtonsCreated) {
        return;
    }
    auto open = [this](std::string_view url) {
        return [this, target = std::string(url)] {
            if (m_services.openUrl) {
                m_services.openUrl(target);
            }
        };
    };
    using namespace resources;
    // The link buttons' windows would reach 100 pixels down, into the browser's rectangle, and
    // cover the top of the page (the page cannot be stacked above them); they end where the
    // browser begins, which leaves the whole image and more around it to click.
    const int linkHeight = std::min(100, kBrowserRect.GetTop() - 22);
    m_pBtnGamePage = AddButton(kIdGamePage, 800, 22, 100, linkHeight, kGamePageNormal,
                               kGamePagePressed, open(g_strGamePageUrl));
    m_pBtnFaq =
        AddButton(kIdFaq, 900, 22, 100, linkHeight, kFaqNormal, kFaqPressed, open(g_strFaqUrl));
    m_pBtnHome = AddButton(kIdHome, 1000, 22, 100, linkHeight, kHomeNormal, kHomePressed,
                           open(g_strHomeUrl));
    m_pBtnMinimize = AddButton(kIdMinimize, 1150, 22, 33, 32, kMinimizeNormal, kMinimizePressed,
                               [this] { m_owner.Iconize(true); });
    m_pBtnClose = AddButton(kIdClose, 1200, 22, 33, 32, kCloseNormal, kClosePressed,
                            [this] { m_owner.Close(); });
    m_bButtonsCreated = 1;
}

std::string CWebCDlg::LoginPageUrl(const std::string& entryUrl, const std::string& argv0) {
    const char separator = !entryUrl.empty() && entryUrl.find('?') != std::string::npos ? '&' : '?';
    const size_t slash = argv0.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : argv0.substr(0, slash);
    return entryUrl + separator + "fileName=" + folder;
}

void CWebCDlg::InitWebBrower() {
    const std::string url = m_services.config ? m_services.config->Config().GetEntryUrl() : "";
    LOG_INFO("CWebCDlg::InitWebBrower", url);
    const auto& argv = m_services.app.Services().arguments;
    m_browser.Navigate(LoginPageUrl(url, argv.empty() ? std::string() : argv[0]));
}

void CWebCDlg::BeginDrag(wxMouseEvent& event) {
    wxWindow* source = static_cast<wxWindow*>(event.GetEventObject());
    m_dragOffset = wxGetMousePosition() - m_owner.GetPosition();
    source->CaptureMouse();
}

void CWebCDlg::Drag(wxMouseEvent& event) {
    wxWindow* source = static_cast<wxWindow*>(event.GetEventObject());
    if (event.Dragging() && event.LeftIsDown() && source->HasCapture()) {
        // The pointer's position on the screen, asked for each time: the event's own position is
        // relative to a window that is moving, and asking also lets further motion be reported.
        m_owner.Move(wxGetMousePosition() - m_dragOffset);
    }
}

void CWebCDlg::EndDrag(wxMouseEvent& event) {
    wxWindow* source = static_cast<wxWindow*>(event.GetEventObject());
    if (source->HasCapture()) {
        source->ReleaseMouse();
    }
}
