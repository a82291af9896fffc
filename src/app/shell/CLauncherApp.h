#pragma once
// The wxWidgets application object: the toolkit's side of CWebApp. It runs the launcher's
// start-up inside the toolkit, supplies the windowed half (the modal update window) and owns
// the objects that live as long as the process: the script-bridge object and the boxes.

#include <wx/app.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CWebApp.h"
#include "ui/CImpIDispatch.h"
#include "ui/ExternalDispatchAdapter.h"
#include "ui/WxMessageBox.h"

class CLauncherApp : public wxApp, public IApplicationShell {
  public:
    // `arguments`: the launcher's argv as it was given, before the toolkit took its options.
    explicit CLauncherApp(std::vector<std::string> arguments);
    ~CLauncherApp() override;

    bool OnInit() override;
    int OnRun() override;
    void RunUpdateWindow(CWebApp& app) override;

  private:
    std::vector<std::string> m_arguments;
    std::unique_ptr<CImpIDispatch> m_pExternalDispatch;
    std::unique_ptr<ExternalDispatchAdapter> m_external;
    WxMessageBox m_messageBox;
    std::unique_ptr<CWebApp> m_app;
};
