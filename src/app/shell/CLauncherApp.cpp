#include "app/shell/CLauncherApp.h"

#include <wx/utils.h>

#include "net/WebLogger.h"
#include "res/Resources.h"
#include "ui/CWebDlg.h"
#include "update/CGameRemoteConfig.h"
#include "update/UpdateContext.h"

CLauncherApp::CLauncherApp(std::vector<std::string> arguments)
    : m_arguments(std::move(arguments)) {}

CLauncherApp::~CLauncherApp() = default;

bool CLauncherApp::OnInit() {
    // The launcher knows one switch, "/uninstall", and reads it itself: no toolkit parsing.
    SetAppName("Brannoc");
    return true;
}

int CLauncherApp::OnRun() {
    m_pExternalDispatch = std::make_unique<CImpIDispatch>();
    m_external = std::make_unique<ExternalDispatchAdapter>(*m_pExternalDispatch);
    WebAppServices services =
        WebAppServices::ForProcess(0, nullptr, WebLogger::Instance(), m_messageBox, *this);
    services.arguments = m_arguments;
    m_app = std::make_unique<CWebApp>(std::move(services));
    m_app->Run();
    return 0;
}

void CLauncherApp::RunUpdateWindow(CWebApp& app) {
    UpdateContext context =
        UpdateContext::ForLauncher(app.m_strInstallDir, app.m_strClientDir, WebLogger::Instance());
    const auto icon = resources::FindResource(resources::kIcon);
    context.iconPng.assign(icon.begin(), icon.end());
    WindowServices services{
        .app = app,
        .config = std::make_shared<CGameRemoteConfig>(std::move(context)),
        .reporter = WebLogger::Instance(),
        .messageBox = m_messageBox,
        .external = m_external.get(),
        .openUrl = [](const std::string& url) { wxLaunchDefaultBrowser(wxString::FromUTF8(url)); },
        .startUpdateDriver = true,
    };
    auto* dialog = new CWebDlg(services);  // a top-level window: wx deletes it after Destroy()
    SetTopWindow(dialog);
    m_pExternalDispatch->SetMainWindow(dialog);
    dialog->DoModal();
    m_pExternalDispatch->SetMainWindow(nullptr);
    dialog->Destroy();
}
