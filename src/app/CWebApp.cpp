#include "app/CWebApp.h"

#include <cerrno>
#include <system_error>

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "app/CommandLine.h"
#include "app/CrashHandler.h"
#include "platform/ProcessTable.h"
#include "platform/SelfPath.h"
#include "platform/StringUtil.h"
#include "platform/UninstallKey.h"
#include "update/Registration.h"

namespace fs = std::filesystem;

WebAppServices WebAppServices::ForProcess(int argc, char** argv, IWebReporter& reporter,
                                          platform::IMessageBox& messageBox,
                                          IApplicationShell& shell) {
    return WebAppServices{
        .reporter = reporter,
        .messageBox = messageBox,
        .shell = shell,
        .locations = platform::CurrentUserLocations(),
        .ownExecutable = platform::OwnExecutablePath(),
        .arguments = std::vector<std::string>(argv, argv + argc),
        .procRoot = "/proc",
        .crashReports = true,
        .unInstall = {},
    };
}

CWebApp::CWebApp(WebAppServices services)
    : m_services(std::move(services)), m_commandLine(CommandLineTail(m_services.arguments)) {
    if (!m_services.unInstall) {
        m_services.unInstall = [](CWebApp& app) { app.UnInstall(); };
    }
}

CWebApp::~CWebApp() = default;

std::string CWebApp::ApplicationName() const {
    return m_services.ownExecutable.stem().string();
}

StartupDecision CWebApp::Run() {
    if (!InitApplication()) {
        return StartupDecision::Failed;
    }
    const StartupDecision decision = InitInstance();
    ExitInstance();
    return decision;
}

bool CWebApp::AcquireInstanceLock() {
    if (!m_lockTried) {
        m_lockTried = true;
        m_hMutex = platform::InstanceLock::TryAcquire(
            platform::InstanceLock::PathFor(m_services.locations, g_strGameName));
        // A lock that cannot be taken at all leaves the start without the rule; only a launcher
        // that is known to run elsewhere keeps this one out of the log.
        if (m_hMutex.GetState() == platform::InstanceLock::State::HeldElsewhere) {
            CLocalLog::Instance().KeepOut();
        }
    }
    return m_hMutex.Held();
}

bool CWebApp::MakeDirectory(const fs::path& path) {
    std::error_code error;
    if (fs::create_directory(path, error) || (!error && fs::is_directory(path, error))) {
        return true;
    }
    const std::string text =
        platform::Format("创建数据目录失败,错误id:%d", error ? error.value() : EEXIST);
    m_services.reporter.Log(text);
    m_services.messageBox.Show(text, ApplicationName(), platform::MessageIcon::Exclamation,
                               platform::MessageButtons::Ok);
    return false;
}

bool CWebApp::InitApplication() {
    AcquireInstanceLock();
    m_services.reporter.LogEvent(1);
    m_services.reporter.Log("launcher start");

    const fs::path launcherFolder = m_services.ownExecutable.parent_path();
    std::string installPath;
    QueryRegistryKey(platform::UninstallKey::ForUser(m_services.locations), "InstallPath",
                     installPath);
    while (installPath.size() > 1 && installPath.back() == '/') {
        installPath.pop_back();
    }
    m_strInstallDir = installPath.empty() ? launcherFolder / ("vorn-" + std::string(g_strDitchName))
                                          : fs::path(installPath);
    m_strClientDir = m_strInstallDir / "client";

    std::error_code error;
    if (!fs::exists(m_strClientDir, error)) {
        if (!fs::exists(m_strInstallDir, error) && !MakeDirectory(m_strInstallDir)) {
            return false;
        }
        if (!MakeDirectory(m_strClientDir)) {
            return false;
        }
    }

    g_strDumpPrefix = (m_strInstallDir / ApplicationName()).string();
    if (m_services.crashReports && !m_crashReportsInstalled) {
        m_crashReportsInstalled = InstallCrashHandler();
    }
    LOG_INFO("CWebApp::InitApplication", m_strInstallDir.string());
    LOG_INFO("CWebApp::InitApplication", m_strClientDir.string());
    return true;
}

void CWebApp::ShowAlreadyRunning() {
    m_services.messageBox.Show("游戏已启动", g_strGameName, platform::MessageIcon::Information,
                               platform::MessageButtons::Ok);
}

StartupDecision CWebApp::InitInstance() {
    if (IsUninstallCommand(m_commandLine)) {
        m_services.unInstall(*this);
        if (m_hMutex.Held()) {
            m_hMutex.Release();
        }
        return StartupDecision::Uninstall;
    }
    if (m_hMutex.GetState() == platform::InstanceLock::State::HeldElsewhere || IsGameRunning()) {
        ShowAlreadyRunning();
        return StartupDecision::Refused;
    }
    LOG_INFO("CWebApp::InitInstance", "Laucher Start");
    m_services.shell.RunUpdateWindow(*this);
    return StartupDecision::Run;
}

int CWebApp::ExitInstance() {
    if (m_crashReportsInstalled) {
        RestoreCrashHandler();
        m_crashReportsInstalled = false;
    }
    return 0;
}

void CWebApp::OnWndDestroy() {
    LOG_INFO("CWebApp::OnWndDestroy", "wnd destory");
}

bool CWebApp::IsGameRunning() {
    switch (platform::FindProcessByName(kGameProcessName, m_services.procRoot)) {
        case platform::ProcessLookup::Found:
            return true;
        case platform::ProcessLookup::NotFound:
            return false;
        case platform::ProcessLookup::Unreadable:
            break;
    }
    LOG_ERROR("CWebApp::IsGameRunning", "get snapshot error");
    return true;
}
