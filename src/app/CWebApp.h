#pragma once
// The launcher's process, without its windows: the install and client directories, the
// single-instance rule, the command-line dispatch and crash reports. The windows come in
// through IApplicationShell; message boxes and web reports are injected, and the outcome of a
// start is returned as a decision instead of ending the process here.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "net/IWebReporter.h"
#include "platform/InstanceLock.h"
#include "platform/MessageBox.h"
#include "platform/UserLocations.h"

class CWebApp;

// The windowed half of the application, implemented by the application object.
class IApplicationShell {
  public:
    virtual ~IApplicationShell() = default;
    // Runs the update window modally (it starts the update driver itself) and returns when the
    // window has ended.
    virtual void RunUpdateWindow(CWebApp& app) = 0;
};

// How a start ended.
enum class StartupDecision {
    Run,        // the update window ran and has ended
    Refused,    // another launcher, or the game, is running: "游戏已启动" was shown
    Uninstall,  // "/uninstall" ran the uninstall command: the process ends now, without
                // windows, so that the removal of the install directory can begin
    Failed,     // the data directories could not be made: the process ends at once
};

struct WebAppServices {
    IWebReporter& reporter;
    platform::IMessageBox& messageBox;
    IApplicationShell& shell;
    platform::UserLocations locations;
    std::filesystem::path ownExecutable;  // where the running launcher lies
    std::vector<std::string> arguments;   // the launcher's argv, program name first
    std::filesystem::path procRoot = "/proc";
    bool crashReports = true;
    // The uninstall command, called for "/uninstall"; CWebApp::UnInstall when left empty.
    std::function<void(CWebApp&)> unInstall;

    // The running process: its argv, /proc/self/exe and the current user's locations.
    static WebAppServices ForProcess(int argc, char** argv, IWebReporter& reporter,
                                     platform::IMessageBox& messageBox, IApplicationShell& shell);
};

class CWebApp {
  public:
    explicit CWebApp(WebAppServices services);
    ~CWebApp();
    CWebApp(const CWebApp&) = delete;
    CWebApp& operator=(const CWebApp&) = delete;

    // The whole life of a start: InitApplication, InitInstance, ExitInstance.
    StartupDecision Run();

    // Tries the single-instance lock, once per process; InitApplication does it first of all.
    // A process that finds it held elsewhere keeps out of the local log from then on, so that
    // the running launcher's log is neither emptied nor mixed. Returns whether this process
    // holds the lock.
    bool AcquireInstanceLock();
    // Reports the start, finds or makes the directories, installs crash reports. False: the
    // data directories could not be made (the user has been told).
    bool InitApplication();
    // The command-line dispatch and the single-instance rule; runs the update window.
    StartupDecision InitInstance();
    // Undoes the start-up; the result is the process's exit code.
    int ExitInstance();

    // The update window is being destroyed.
    void OnWndDestroy();
    // True while the game runs, or when the process table cannot be read.
    bool IsGameRunning();
    // Removes the game: the client directory, the menu folder, the desktop entry and the
    // uninstall entry at once, the install directory once this process has ended. Refuses while
    // another launcher or the game runs, and asks first.
    void UnInstall();
    // Removes `path` with everything below it; symbolic links are removed as links, never
    // followed. True when `path` itself is gone.
    static bool DeleteNotNullDir(const std::filesystem::path& path);

    platform::InstanceLock::State InstanceLockState() const { return m_hMutex.GetState(); }
    const std::string& CommandLine() const { return m_commandLine; }
    const WebAppServices& Services() const { return m_services; }
    // The file name of the launcher without its extension: names crash reports and boxes.
    std::string ApplicationName() const;

    std::filesystem::path m_strInstallDir;  // no trailing separator
    std::filesystem::path m_strClientDir;   // m_strInstallDir/client

  private:
    bool MakeDirectory(const std::filesystem::path& path);
    void ShowAlreadyRunning();

    WebAppServices m_services;
    std::string m_commandLine;
    platform::InstanceLock m_hMutex;
    bool m_lockTried = false;
    bool m_crashReportsInstalled = false;
};

// The name of the game's process.
inline constexpr const char* kGameProcessName = "vorn";
