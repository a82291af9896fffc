#include "ui/CWebDlg.h"

#include <wx/region.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include "app/CLocalLog.h"
#include "app/CWebApp.h"
#include "app/CrashHandler.h"
#include "platform/GameWindow.h"
#include "res/Resources.h"
#include "ui/CGradientProgressCtrl.h"
#include "ui/CStaticEx.h"
#include "ui/CWebCDlg.h"
#include "ui/LoadPngResource.h"
#include "update/CGameRemoteConfig.h"
#include "update/UpdateDriverThread.h"

namespace {

// Reports are replayed at most this often, so that a fast transfer is never slowed by drawing.
constexpr int kDrainIntervalMs = 15;
// How long the launcher waits for the update driver to stop when it closes.
constexpr std::chrono::milliseconds kDriverStopBound(3000);
constexpr std::chrono::milliseconds kMaximiseDelay(1000);

wxIcon LauncherIcon() {
    wxIcon icon;
    const wxBitmap bitmap = LoadPngResource(resources::kIcon);
    if (bitmap.IsOk()) {
        icon.CopyFromBitmap(bitmap);
    }
    return icon;
}

}  // namespace

CWebDlg::CWebDlg(const WindowServices& services)
    : wxFrame(nullptr, wxID_ANY, "Brannoc", wxDefaultPosition, wxSize(1280, 725),
              wxFRAME_SHAPED | wxBORDER_NONE | wxCLIP_CHILDREN),
      m_services(services) {
    SetIcon(LauncherIcon());
    m_imgBackground = LoadPngImage(resources::kSkin);
    // The main web window is made with this window, as its only child, which owns it then.
    auto web = std::make_unique<CWebCDlg>(*this, m_services, *this);
    if (web->Create(m_imgBackground)) {
        m_pWebCDlg = web.release();
    }
    Bind(wxEVT_CLOSE_WINDOW, &CWebDlg::OnSystemClose, this);
    m_queuedView = std::make_unique<QueuedUpdateView>(m_queue, [this] {
        // From the driver's thread: have the UI thread drain soon, once for many reports.
        CallAfter([this] {
            if (!m_drainTimer.IsRunning()) {
                m_drainTimer.StartOnce(kDrainIntervalMs);
            }
        });
    });
    m_drainTimer.SetOwner(this);
    Bind(wxEVT_TIMER, [this](wxTimerEvent&) { m_queue.Drain(*this); });
}

CWebDlg::~CWebDlg() = default;

void CWebDlg::UpdateLayeredBackground() {
    if (!m_imgBackground.IsOk()) {
        return;
    }
    // SetSize, not SetClientSize: on GTK a borderless frame's client size is not known before it
    // is shown, and asking for it leaves the window 1 x 1.
    SetSize(m_imgBackground.GetSize());
    // The skin's transparent areas are not part of the window.
    wxImage shape = m_imgBackground.Copy();
    if (shape.HasAlpha() && shape.ConvertAlphaToMask()) {
        SetShape(wxRegion(wxBitmap(shape)));
    }
}

void CWebDlg::OnInitDialog() {
    UpdateLayeredBackground();
    if (m_pWebCDlg != nullptr) {
        m_pWebCDlg->CreateButtons();
        m_pWebCDlg->Show();
    }
    if (m_services.startUpdateDriver && m_services.config) {
        m_driver = std::make_unique<UpdateDriverThread>(m_services.config, *m_queuedView);
        m_driver->SetThreadPrologue(PrepareThreadForCrashReports);
        m_driver->Start();
    }
}

int CWebDlg::DoModal() {
    Start();
    if (!m_ended) {
        wxGUIEventLoop loop;
        m_loop = &loop;
        loop.Run();
        m_loop = nullptr;
    }
    Finish();
    return m_result;
}

void CWebDlg::Start() {
    OnInitDialog();
    Centre();
    Show();
}

void CWebDlg::EndDialog(int result) {
    m_result = result;
    m_ended = true;
    if (m_loop != nullptr) {
        m_loop->Exit(result);
    }
}

void CWebDlg::OnSystemClose(wxCloseEvent& event) {
    // Closed from outside (the task bar, the window manager): the loop ends; the window is
    // destroyed by whoever runs it.
    if (event.CanVeto()) {
        event.Veto();
    }
    EndDialog(0);
}

void CWebDlg::Finish() {
    // Nothing of the driver may reach the window from now on; a transfer still running is
    // stopped so that the record saved below is the last word.
    if (m_driver) {
        m_driver->Stop(kDriverStopBound);
    }
    m_queue.Detach();
    m_drainTimer.Stop();
    if (m_services.config) {
        m_services.config->SaveResumeRecord();
    }
    m_services.app.OnWndDestroy();
}

void CWebDlg::Close() {
    LOG_INFO("CWebDlg::Close", "Laucher Stop");
    if (m_services.config) {
        m_services.config->SaveResumeRecord();
    }
    EndDialog(kIdOk);
}

void CWebDlg::Cancel() {
    LOG_INFO("CWebDlg::Cancel", "Laucher Stop");
    if (m_services.config) {
        m_services.config->SaveResumeRecord();
    }
    EndDialog(kIdCancel);
}

void CWebDlg::HideLauncher() {
    Hide();
}

void CWebDlg::MaximiseGameWindow(pid_t game) {
    // The game needs a moment to open its first window; the launcher is hidden meanwhile.
    wxMilliSleep(static_cast<unsigned long>(kMaximiseDelay.count()));
    platform::MaximiseFirstWindowOfProcess(game);
}

void CWebDlg::UpdateProgress(const std::string& status, const std::string& percentText,
                             int position, bool downloading) {
    if (m_pWebCDlg == nullptr) {
        return;
    }
    CWebCDlg& web = *m_pWebCDlg;
    const int oldPosition = web.m_progress->SetPos(position);
    web.m_staticStatus->SetLabel(wxString::FromUTF8(status));
    if (downloading) {
        if (!web.m_bDownloadCaptionShown) {
            web.m_staticStage->Hide();
            web.m_staticStage->SetLabel(wxString::FromUTF8("正在下载："));
            web.m_bDownloadCaptionShown = 1;
        }
    } else if (!web.m_bUnzipCaptionShown) {
        web.m_staticStage->Hide();
        web.m_staticStage->SetLabel(wxString::FromUTF8("正在解压："));
        web.m_bUnzipCaptionShown = 1;
    }
    // An unchanged position keeps the old percent text.
    if (oldPosition != position) {
        web.m_staticPercent->Hide();
        web.m_staticPercent->SetLabel(wxString::FromUTF8(percentText));
    }
}

void CWebDlg::ShowProgressView() {
    if (m_pWebCDlg == nullptr) {
        return;
    }
    m_pWebCDlg->m_progress->Show();
    m_pWebCDlg->m_staticStatus->Hide();
    m_pWebCDlg->m_staticStage->Show();
    m_pWebCDlg->m_staticPercent->Show();
}

void CWebDlg::ShowStatusView() {
    if (m_pWebCDlg == nullptr) {
        return;
    }
    m_pWebCDlg->m_progress->Hide();
    m_pWebCDlg->m_staticStatus->Show();
    m_pWebCDlg->m_staticStage->Hide();
    m_pWebCDlg->m_staticPercent->Hide();
}

void CWebDlg::InitWebBrower() {
    if (m_pWebCDlg == nullptr) {
        return;
    }
    LOG_INFO("CWebDlg::InitWebBrower", "InitWebBrower");
    m_pWebCDlg->InitWebBrower();
}

void CWebDlg::SetReady() {
    if (m_pWebCDlg == nullptr) {
        return;
    }
    LOG_INFO("CWebDlg::SetReady", "SetReady");
    m_pWebCDlg->SetReady();
}

std::string CWebDlg::JavascriptToCPLUSPLUS(const std::string& method, const std::string& params) {
    if (m_pWebCDlg == nullptr) {
        return {};
    }
    return m_pWebCDlg->JavascriptToCPLUSPLUS(method, params);
}
