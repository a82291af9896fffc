#include "ui/CWebCDlgLogic.h"

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "platform/StringUtil.h"

namespace {

constexpr const char* kDispatch = "CWebCDlg::JavascriptToCPLUSPLUS";
constexpr const char* kLogin = "CWebCDlg::OnLoginResult";
constexpr const char* kReady = "CWebCDlg::SetReady";
constexpr const char* kLaunch = "CWebCDlg::LaunchGame";

}  // namespace

CWebCDlgLogic::CWebCDlgLogic(GameLaunchSettings settings, IWebReporter& reporter,
                             platform::IMessageBox& messageBox, ILaunchHost& host)
    : m_settings(std::move(settings)),
      m_reporter(reporter),
      m_messageBox(messageBox),
      m_host(host) {
    if (!m_settings.startProcess) {
        m_settings.startProcess = [](const GameCommand& command) {
            return platform::SpawnProcess(command.executable, command.argv,
                                          command.workingDirectory);
        };
    }
}

std::string CWebCDlgLogic::JavascriptToCPLUSPLUS(const std::string& method,
                                                 const std::string& params) {
    LOG_INFO(kDispatch, "method:" + method + ",paramters:" + params);
    if (method == "LoginResult") {
        OnLoginResult(params);
        return {};
    }
    if (method == "GetCommandLine") {
        return m_settings.launcherPath.string();
    }
    return {};
}

void CWebCDlgLogic::OnLoginResult(const std::string& params) {
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        if (m_bLoginSucceeded) {
            LOG_INFO(kLogin, "already login");
            return;
        }
    }
    const size_t bar = params.find('|');
    if (params.empty() || bar == std::string::npos) {
        LOG_INFO(kLogin, "paramters is error!");
        return;
    }
    const std::string status = params.substr(0, bar);
    const size_t second = params.find('|', bar + 1);
    const std::string loginParam =
        params.substr(bar + 1, second == std::string::npos ? std::string::npos : second - bar - 1);
    if (!platform::EqualsIgnoreAsciiCase(status, "true")) {
        // Modal: the page's script call waits until the user has closed the box.
        m_messageBox.Show("登录验证未通过", g_strGameName, platform::MessageIcon::Exclamation,
                          platform::MessageButtons::Ok);
        return;
    }
    LOG_INFO(kLogin, "is logic suc!");
    bool launch = false;
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        if (m_bLoginSucceeded) {
            // Another accepted login got here while the box above was not even shown.
            LOG_INFO(kLogin, "already login");
            return;
        }
        m_strLoginParam = loginParam;
        m_bLoginSucceeded = 1;
        launch = m_bReady != 0;
    }
    if (launch) {
        LaunchGame();
    }
}

void CWebCDlgLogic::SetReady() {
    LOG_INFO(kReady, "is ready");
    bool launch = false;
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        if (m_bReady) {
            return;  // the gate opens once
        }
        m_bReady = 1;
        launch = m_bLoginSucceeded != 0;
    }
    if (launch) {
        LaunchGame();
    }
}

void CWebCDlgLogic::LaunchGame() {
    m_reporter.LogEvent(9);
    m_reporter.Log("game start");
    std::string loginParam;
    {
        std::lock_guard<std::mutex> lock(m_gateMutex);
        loginParam = m_strLoginParam;
    }
    const std::string custom = m_settings.customParameters ? m_settings.customParameters() : "";
    std::optional<std::string> luaPath;
    std::error_code ignored;
    if (std::filesystem::exists(m_settings.luaPathFile, ignored)) {
        luaPath = ReadLuaPath(m_settings.luaPathFile);
    }
    const GameCommand command = BuildGameCommand(m_settings.clientDir, m_settings.launcherArgv,
                                                 loginParam, custom, luaPath);
    LOG_INFO(kLaunch, command.executable.string());
    LOG_INFO(kLaunch, command.workingDirectory.string());
    LOG_INFO(kLaunch, JoinArguments(command.argv));
    LOG_INFO(kLaunch, "LaunchGame");

    const platform::SpawnResult started = m_settings.startProcess(command);
    if (!started.started) {
        m_reporter.Log("game start failed");
        LOG_INFO(kLaunch, "LaunchGame Faild");
        return;
    }
    m_gameProcess = started.pid;
    m_reporter.Log("game start success");
    LOG_INFO(kLaunch, "LaunchGame Succ");
    m_host.HideLauncher();
    if (m_settings.versionFileMissing && m_settings.versionFileMissing()) {
        m_host.MaximiseGameWindow(started.pid);
    }
    m_host.Cancel();
}
