#include "platform/UserLocations.h"

#include <gtest/gtest.h>

#include <map>

#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using platform::UserLocationsFrom;

platform::EnvLookup Env(std::map<std::string, std::string> vars) {
    return [vars = std::move(vars)](const char* name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end())
            return std::nullopt;
        return it->second;
    };
}

TEST(UserLocations, DefaultsDeriveFromHome) {
    testsupport::TempHome home;
    const auto loc = UserLocationsFrom(Env({{"HOME", home.Home().string()}}));
    EXPECT_EQ(loc.home, home.Home());
    EXPECT_EQ(loc.stateHome, home.Home() / ".local/state");
    EXPECT_EQ(loc.dataHome, home.Home() / ".local/share");
    EXPECT_EQ(loc.configHome, home.Home() / ".config");
    EXPECT_EQ(loc.runtimeDir, fs::path());
    EXPECT_EQ(loc.desktopDir, home.Home() / "Desktop");
    EXPECT_EQ(loc.StartMenuDir(), home.Home() / ".local/share/applications");
}

TEST(UserLocations, AbsoluteXdgValuesWinRelativeOnesAreIgnored) {
    testsupport::TempHome home;
    const auto loc = UserLocationsFrom(Env({{"HOME", home.Home().string()},
                                            {"XDG_STATE_HOME", "/var/state"},
                                            {"XDG_DATA_HOME", "relative/data"},
                                            {"XDG_CONFIG_HOME", ""},
                                            {"XDG_RUNTIME_DIR", "/run/user/7"}}));
    EXPECT_EQ(loc.stateHome, "/var/state");
    EXPECT_EQ(loc.dataHome, home.Home() / ".local/share");
    EXPECT_EQ(loc.configHome, home.Home() / ".config");
    EXPECT_EQ(loc.runtimeDir, "/run/user/7");
}

TEST(UserLocations, DesktopComesFromUserDirsFile) {
    testsupport::TempHome home;
    testsupport::WriteFile(home.Home() / ".config/user-dirs.dirs",
                           "# written by xdg-user-dirs-update\n"
                           "XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n"
                           "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    const auto loc = UserLocationsFrom(Env({{"HOME", home.Home().string()}}));
    EXPECT_EQ(loc.desktopDir, home.Home() / "Schreibtisch");
}

TEST(UserLocations, UserDirsEntryForms) {
    const fs::path home = "/home/u";
    struct Case {
        const char* text;
        std::optional<fs::path> expected;
    } cases[] = {
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", home / "Desktop"},
        {"XDG_DESKTOP_DIR=\"/srv/desk top\"\n", fs::path("/srv/desk top")},
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", home},
        {"XDG_DESKTOP_DIR=\"$HOME/\\\"q\\\"\"\n", home / "\"q\""},
        {"  XDG_DESKTOP_DIR=\"$HOME/桌面\"", home / "桌面"},
        {"# XDG_DESKTOP_DIR=\"$HOME/x\"\n", std::nullopt},
        {"XDG_DESKTOP_DIR=$HOME/unquoted\n", std::nullopt},
        {"XDG_DESKTOP_DIR=\"relative\"\n", std::nullopt},
        {"XDG_DESKTOP_DIRX=\"$HOME/x\"\n", std::nullopt},
        {"XDG_DESKTOP_DIR=\"$HOMEx\"\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ParseUserDirsEntry(c.text, "XDG_DESKTOP_DIR", home), c.expected)
            << c.text;
    }
}

}  // namespace
