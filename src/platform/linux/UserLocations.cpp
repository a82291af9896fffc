#include "platform/UserLocations.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {
namespace fs = std::filesystem;

namespace {

// The XDG base-directory rules ignore empty and relative values.
fs::path XdgDir(const EnvLookup& lookup, const char* name, const fs::path& fallback) {
    const auto value = lookup(name);
    if (value && !value->empty() && (*value)[0] == '/') {
        return fs::path(*value);
    }
    return fallback;
}

fs::path HomeDir(const EnvLookup& lookup) {
    const auto home = lookup("HOME");
    if (home && !home->empty()) {
        return fs::path(*home);
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return fs::path(entry->pw_dir);
    }
    return fs::path("/");
}

}  // namespace

std::optional<fs::path> ParseUserDirsEntry(const std::string& text, const std::string& key,
                                           const fs::path& home) {
    std::istringstream in(text);
    std::string line;
    std::optional<fs::path> found;
    while (std::getline(in, line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') {
            continue;
        }
        if (line.compare(start, key.size(), key) != 0 || line.size() <= start + key.size() ||
            line[start + key.size()] != '=') {
            continue;
        }
        std::string value = line.substr(start + key.size() + 1);
        if (value.size() < 2 || value.front() != '"') {
            continue;
        }
        const size_t close = value.rfind('"');
        if (close == 0) {
            continue;
        }
        value = value.substr(1, close - 1);
        // Only \" and \\ are escaped in this file format.
        std::string unescaped;
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            unescaped += value[i];
        }
        if (unescaped.rfind("$HOME", 0) == 0) {
            std::string rest = unescaped.substr(5);
            if (!rest.empty() && rest[0] != '/') {
                continue;
            }
            while (!rest.empty() && rest[0] == '/') {
                rest.erase(0, 1);
            }
            found = rest.empty() ? home : home / rest;
        } else if (!unescaped.empty() && unescaped[0] == '/') {
            found = fs::path(unescaped);
        }
    }
    return found;
}

UserLocations UserLocationsFrom(const EnvLookup& lookup) {
    UserLocations loc;
    loc.home = HomeDir(lookup);
    loc.stateHome = XdgDir(lookup, "XDG_STATE_HOME", loc.home / ".local/state");
    loc.dataHome = XdgDir(lookup, "XDG_DATA_HOME", loc.home / ".local/share");
    loc.configHome = XdgDir(lookup, "XDG_CONFIG_HOME", loc.home / ".config");
    loc.runtimeDir = XdgDir(lookup, "XDG_RUNTIME_DIR", fs::path());
    loc.desktopDir = loc.home / "Desktop";
    std::ifstream dirs(loc.configHome / "user-dirs.dirs", std::ios::binary);
    if (dirs) {
        std::ostringstream text;
        text << dirs.rdbuf();
        if (auto desktop = ParseUserDirsEntry(text.str(), "XDG_DESKTOP_DIR", loc.home)) {
            loc.desktopDir = *desktop;
        }
    }
    return loc;
}

UserLocations CurrentUserLocations() {
    return UserLocationsFrom([](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        if (value == nullptr) {
            return std::nullopt;
        }
        return std::string(value);
    });
}

}  // namespace platform
