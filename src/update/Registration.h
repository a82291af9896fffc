#pragma once
// The installation's registration: the per-user uninstall entry, the launcher copy and the
// shortcuts that point at it. CGameRemoteConfig writes them; the uninstall command reads these
// helpers to find and remove them again.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/UninstallKey.h"
#include "platform/UserLocations.h"

// Reads one value of the uninstall entry as text. A missing key or value gives the empty text
// and one ERROR line "QueryRegistryKey lret:%d error:%d". Returns whether the value was read.
bool QueryRegistryKey(const platform::UninstallKey& key, std::string_view valueName,
                      std::string& value);

// Writes the five values of the uninstall entry for `installDir`: DisplayIcon, DisplayName,
// DisplayVersion, UninstallString, InstallPath. Failures are logged, not returned.
void SetRegisties(platform::UninstallKey& key, const std::filesystem::path& installDir);

// Deletes the uninstall entry and logs "lret:%d" with the result (0, or 2 when it was missing).
long RemoveRegisties(platform::UninstallKey& key);

// <install dir>/Brannoc: where the launcher keeps its own copy.
std::filesystem::path LauncherCopyPathFor(const std::filesystem::path& installDir);
// "Brannoc-卸载": the name of the uninstall shortcuts.
std::string UninstallShortcutName();
// <data home>/applications/Apps/lunet: the launcher's menu folder.
std::filesystem::path StartMenuFolder(const platform::UserLocations& locations);
// <desktop>/Brannoc.desktop
std::filesystem::path DesktopShortcutPath(const platform::UserLocations& locations);
