// The uninstall command: "/uninstall" removes what the installation made.
#include <unistd.h>

#include <system_error>

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "app/CWebApp.h"
#include "platform/DeferredRemoval.h"
#include "platform/StringUtil.h"
#include "platform/UninstallKey.h"
#include "update/Registration.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUnInstall = "CWebApp::UnInstall";
constexpr std::string_view kGameRunningText = "游戏正在运行,请关闭游戏后重试";
constexpr std::string_view kConfirmText = "确定要卸载吗?";
constexpr std::string_view kFailedText = "卸载失败,请关闭游戏后重试.";

// Without following a link: a link, dangling or not, is itself something to remove.
bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

std::string KeptText(platform::RemovalCheck check, const fs::path& path) {
    return platform::Format("kept, %s: %s", std::string(platform::RemovalCheckText(check)).c_str(),
                            path.c_str());
}

}  // namespace

void CWebApp::UnInstall() {
    AcquireInstanceLock();
    if (m_hMutex.GetState() == platform::InstanceLock::State::HeldElsewhere || IsGameRunning()) {
        m_services.messageBox.Show(kGameRunningText, g_strGameName,
                                   platform::MessageIcon::Information,
                                   platform::MessageButtons::Ok);
        return;
    }
    // Nothing may be logged or reported before the answer: the log's first line would open it.
    if (m_services.messageBox.Show(kConfirmText, ApplicationName(), platform::MessageIcon::Question,
                                   platform::MessageButtons::YesNo) != platform::kIdYes) {
        return;
    }
    const auto fail = [this] {
        LOG_ERROR(kUnInstall, "unistall error");
        m_services.messageBox.Show(kFailedText, g_strGameName, platform::MessageIcon::Information,
                                   platform::MessageButtons::Ok);
    };

    m_services.reporter.Log("game uninstall start");
    LOG_INFO(kUnInstall, "Begin uninstall");
    LOG_INFO(kUnInstall, m_strClientDir.string());
    const fs::path& home = m_services.locations.home;
    // The install path comes from a file the user can edit. When it names the home, the root or
    // the like, its "client" folder is the user's, not the launcher's.
    const platform::RemovalCheck location = platform::CheckDirectoryLocation(m_strInstallDir, home);
    if (location != platform::RemovalCheck::Allowed) {
        LOG_ERROR(kUnInstall, KeptText(location, m_strClientDir));
    } else if (Exists(m_strClientDir) && !DeleteNotNullDir(m_strClientDir)) {
        fail();
        return;
    }

    const fs::path startMenu = StartMenuFolder(m_services.locations);
    LOG_INFO(kUnInstall, startMenu.string());
    if (Exists(startMenu) && !DeleteNotNullDir(startMenu)) {
        fail();
        return;
    }

    const fs::path desktop = DesktopShortcutPath(m_services.locations);
    LOG_INFO(kUnInstall, desktop.string());
    std::error_code error;
    if (Exists(desktop) && !fs::remove(desktop, error)) {
        fail();
    }

    platform::UninstallKey key = platform::UninstallKey::ForUser(m_services.locations);
    RemoveRegisties(key);
    LOG_ERROR(kUnInstall, "unistall succ");

    const std::string launcherCopy = LauncherCopyPathFor(m_strInstallDir).filename().string();
    const platform::RemovalCheck removable =
        platform::CheckRemovableDirectory(m_strInstallDir, home, launcherCopy);
    if (removable != platform::RemovalCheck::Allowed) {
        LOG_ERROR(kUnInstall, KeptText(removable, m_strInstallDir));
    }
    // The log ends here, complete on disk; what this process still does is not logged.
    CLocalLog::Instance().Close();
    if (removable == platform::RemovalCheck::Allowed) {
        platform::ScheduleDirectoryRemoval({
            .directory = m_strInstallDir,
            .home = home,
            .requiredEntry = launcherCopy,
            .waitFor = getpid(),
        });
    }
    m_services.reporter.Log("game unintall success");
}

bool CWebApp::DeleteNotNullDir(const fs::path& path) {
    LOG_INFO("CWebApp::DeleteNotNullDir", path.string());
    std::error_code error;
    const fs::file_type type = fs::symlink_status(path, error).type();
    if (type == fs::file_type::symlink) {
        return fs::remove(path, error);
    }
    if (type != fs::file_type::directory) {
        return false;
    }
    for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
        const fs::path entry = it->path();
        std::error_code ignored;
        if (it->symlink_status(ignored).type() == fs::file_type::directory) {
            DeleteNotNullDir(entry);
        }
        fs::remove(entry, ignored);
    }
    // Anything that could not be deleted keeps the folder, and that is the answer.
    return fs::remove(path, error);
}
