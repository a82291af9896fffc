#include "update/Registration.h"

#include <cerrno>

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "platform/AtomicFile.h"
#include "platform/ErrorCodes.h"
#include "platform/StringUtil.h"
#include "update/CGameRemoteConfig.h"
#include "update/DesktopEntry.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSetRegisties = "CGameRemoteConfig::SetRegisties";
constexpr const char* kCreateShortcuts = "CGameRemoteConfig::CreateShortcuts";
constexpr const char* kCreateShortcut = "CGameRemoteConfig::CreateShortcut";
constexpr const char* kCreateLink = "CGameRemoteConfig::CreateLink";

// The shortcuts' icon when the launcher was given none.
constexpr std::string_view kThemeIcon = "applications-games";

// The code a failed step of a link reports, in the form of a system error wrapped as a result
// (0x8007xxxx), as signed decimal.
long WrappedResult(long code) {
    return static_cast<long>(static_cast<std::int32_t>(0x80070000u | (code & 0xFFFF)));
}

}  // namespace

bool QueryRegistryKey(const platform::UninstallKey& key, std::string_view valueName,
                      std::string& value) {
    value.clear();
    std::string text;
    const long result = key.QueryValue(valueName, text);
    if (result != platform::kErrorSuccess) {
        LOG_ERROR("CGameRemoteConfig::QueryRegistryKey",
                  platform::Format("QueryRegistryKey lret:%ld error:%d", result, key.LastError()));
        return false;
    }
    // A registry string ends at its first null.
    value = text.substr(0, text.find('\0'));
    return true;
}

fs::path LauncherCopyPathFor(const fs::path& installDir) {
    return installDir / std::string(g_strGameName);
}

std::string UninstallShortcutName() {
    return platform::Format("%s-卸载", std::string(g_strGameName).c_str());
}

fs::path StartMenuFolder(const platform::UserLocations& locations) {
    return locations.StartMenuDir() / "Apps" / std::string(g_strDitchName);
}

fs::path DesktopShortcutPath(const platform::UserLocations& locations) {
    return locations.desktopDir / (std::string(g_strGameName) + ".desktop");
}

void SetRegisties(platform::UninstallKey& key, const fs::path& installDir) {
    const long created = key.CreateKey();
    if (created != platform::kErrorSuccess) {
        LOG_ERROR(kSetRegisties,
                  platform::Format("SetRegisties lret:%ld error:%d", created, key.LastError()));
        return;
    }
    const std::string copy = LauncherCopyPathFor(installDir).string();
    const std::pair<const char*, std::string> values[] = {
        {"DisplayIcon", copy},
        {"DisplayName", std::string(g_strGameName)},
        {"DisplayVersion", std::string(g_strLauncherVersion)},
        {"UninstallString", copy + " /uninstall"},
        {"InstallPath", installDir.string()},
    };
    for (const auto& [name, value] : values) {
        const long result = key.SetValue(name, value);
        if (result != platform::kErrorSuccess) {
            LOG_ERROR(kSetRegisties,
                      platform::Format("SetRegisties lret:%ld error:%d", result, key.LastError()));
        }
    }
}

long RemoveRegisties(platform::UninstallKey& key) {
    const long result = key.DeleteKey();
    LOG_INFO("CGameRemoteConfig::RemoveRegisties", platform::Format("lret:%ld", result));
    return result;
}

void CGameRemoteConfig::SetRegisties() {
    ::SetRegisties(m_context.uninstallKey, m_context.installDir);
}

void CGameRemoteConfig::RemoveRegisties() {
    ::RemoveRegisties(m_context.uninstallKey);
}

bool CGameRemoteConfig::CopyLauncher(long& code) const {
    std::error_code error;
    if (!platform::CopyFileAtomically(m_context.ownExecutable, LauncherCopyPath(), error, 0755)) {
        code = platform::ToSystemCode(error);
        return false;
    }
    code = platform::kErrorSuccess;
    return true;
}

std::string CGameRemoteConfig::ShortcutIcon() {
    if (!m_shortcutIcon.empty()) {
        return m_shortcutIcon;
    }
    m_shortcutIcon = kThemeIcon;
    if (!m_context.iconPng.empty()) {
        fs::path icon = LauncherCopyPath();
        icon += ".png";
        std::error_code error;
        if (platform::WriteFileAtomically(icon, m_context.iconPng, error, 0644)) {
            m_shortcutIcon = icon.string();
        } else {
            LOG_ERROR(kCreateShortcuts, "icon not written: " + icon.string());
        }
    }
    return m_shortcutIcon;
}

void CGameRemoteConfig::CreateShortcuts() {
    LOG_INFO(kCreateShortcuts, "Begin CreateShortcuts");
    const std::string uninstallName = UninstallShortcutName();
    const fs::path target = LauncherCopyPath();
    const std::string gameName(g_strGameName);
    const fs::path startMenu = StartMenuFolder(m_context.locations);
    CreateShortcut(gameName, startMenu, target, "");
    CreateShortcut(uninstallName, startMenu, target, "/uninstall");
    CreateShortcut(gameName, m_context.locations.desktopDir, target, "");
    CreateShortcut(uninstallName, m_context.installDir, target, "/uninstall");
    LOG_INFO(kCreateShortcuts, "End CreateShortcuts");
}

void CGameRemoteConfig::CreateShortcut(std::string_view name, const fs::path& folder,
                                       const fs::path& target, std::string_view arguments) {
    LOG_INFO(kCreateShortcut, "Begin CreateShortcut");
    LOG_INFO(kCreateShortcut, folder.string());
    LOG_INFO(kCreateShortcut, arguments);
    std::error_code error;
    fs::create_directories(folder, error);
    const fs::path link = folder / (std::string(name) + ".desktop");
    fs::remove(link, error);
    CreateLink(target, link, arguments);
    LOG_INFO(kCreateShortcut, "End CreateShortcut");
}

bool CGameRemoteConfig::CreateLink(const fs::path& target, const fs::path& linkPath,
                                   std::string_view arguments) {
    LOG_INFO(kCreateLink, "Begin CreateLink");
    const std::string name = linkPath.stem().string();
    const std::string text = DesktopEntryText(name, target, arguments, ShortcutIcon());
    std::error_code error;
    // Desktop environments start only entries marked executable from the desktop folder.
    if (!platform::WriteFileAtomically(linkPath, text, error, 0755)) {
        const long code = platform::ToSystemCode(error);
        LOG_ERROR(kCreateLink,
                  platform::Format("CreateLink ret:%ld hRes:%ld", code, WrappedResult(code)));
        return false;
    }
    LOG_INFO(kCreateLink, "End CreateLink");
    return true;
}
