#pragma once
// Per-user locations. Everything derives from HOME and the XDG_* variables, so a test that
// points them at a temporary folder gets a private world.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// Looks up one environment variable; nullopt when it is not set.
using EnvLookup = std::function<std::optional<std::string>(const char* name)>;

struct UserLocations {
    std::filesystem::path home;        // $HOME
    std::filesystem::path stateHome;   // $XDG_STATE_HOME or ~/.local/state
    std::filesystem::path dataHome;    // $XDG_DATA_HOME or ~/.local/share
    std::filesystem::path configHome;  // $XDG_CONFIG_HOME or ~/.config
    std::filesystem::path runtimeDir;  // $XDG_RUNTIME_DIR, empty when unset
    std::filesystem::path desktopDir;  // XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop

    // The user's menu folder, where desktop entries of applications live.
    std::filesystem::path StartMenuDir() const { return dataHome / "applications"; }
};

// Locations of the running process's user.
UserLocations CurrentUserLocations();

// Locations computed from the given variables (user-dirs.dirs is read from the disk).
UserLocations UserLocationsFrom(const EnvLookup& lookup);

// Parses the text of a user-dirs.dirs file for one key ("XDG_DESKTOP_DIR"); nullopt when the
// key is absent or malformed. "$HOME" at the start of the value is replaced by `home`.
std::optional<std::filesystem::path> ParseUserDirsEntry(const std::string& text,
                                                        const std::string& key,
                                                        const std::filesystem::path& home);

}  // namespace platform
