#pragma once
// The main web window's script-facing half: the method table that page calls reach, the login
// handling, the launch gate and the game launch. It knows nothing of windows; the window
// supplies what the launch does to it through ILaunchHost.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "net/IWebReporter.h"
#include "platform/MessageBox.h"
#include "platform/ProcessSpawn.h"
#include "ui/GameCommand.h"

// What a successful launch does to the launcher's windows.
class ILaunchHost {
  public:
    virtual ~ILaunchHost() = default;
    // Hides the update window (and the main web window with it).
    virtual void HideLauncher() = 0;
    // About one second after the start, maximises the game's first top-level window.
    virtual void MaximiseGameWindow(pid_t game) = 0;
    // CWebDlg::Cancel: logs, saves the resume record and ends the launcher.
    virtual void Cancel() = 0;
};

struct GameLaunchSettings {
    std::filesystem::path clientDir;
    std::vector<std::string> launcherArgv;              // as the launcher was started
    std::filesystem::path launcherPath;                 // the running executable
    std::filesystem::path luaPathFile = "luapath.txt";  // relative: the working directory
    std::function<std::string()> customParameters;      // CustomParameters of the configuration
    std::function<bool()> versionFileMissing;           // a first installation
    // Starts the game; the platform's spawn unless a test replaces it.
    std::function<platform::SpawnResult(const GameCommand&)> startProcess;
};

class CWebCDlgLogic {
  public:
    CWebCDlgLogic(GameLaunchSettings settings, IWebReporter& reporter,
                  platform::IMessageBox& messageBox, ILaunchHost& host);

    // "LoginResult" (status|parameters) and "GetCommandLine"; anything else answers "".
    std::string JavascriptToCPLUSPLUS(const std::string& method, const std::string& params);
    void OnLoginResult(const std::string& params);
    // The client is installed and current (from the update driver).
    void SetReady();
    void LaunchGame();

    int m_bReady = 0;
    int m_bLoginSucceeded = 0;
    std::string m_strLoginParam;
    pid_t m_gameProcess = -1;

  private:
    GameLaunchSettings m_settings;
    IWebReporter& m_reporter;
    platform::IMessageBox& m_messageBox;
    ILaunchHost& m_host;
    // Setting one side's flag and testing the other is one step, so exactly one side launches.
    std::mutex m_gateMutex;
};
