#pragma once
// What the launcher's two windows are given by the application object.

#include <functional>
#include <memory>
#include <string>

#include "net/IWebReporter.h"
#include "platform/MessageBox.h"
#include "ui/IExternalDispatch.h"

class CWebApp;
class CGameRemoteConfig;

struct WindowServices {
    CWebApp& app;                               // directories, arguments, OnWndDestroy
    std::shared_ptr<CGameRemoteConfig> config;  // the update component the driver runs
    IWebReporter& reporter;
    platform::IMessageBox& messageBox;      // the application's boxes
    IExternalDispatch* external = nullptr;  // window.external of every page
    // Opens a page in the desktop's default browser (link buttons, new-window requests).
    std::function<void(const std::string& url)> openUrl;
    // Starts the update driver once the window exists; tests of the windows alone turn it off.
    bool startUpdateDriver = true;
};
