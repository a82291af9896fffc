#include "update/Registration.h"

#include <gtest/gtest.h>

#include "UpdateWorld.h"
#include "support/Programs.h"
#include "support/TempHome.h"
#include "update/DesktopEntry.h"

namespace {

TEST(QueryRegistryKey, MissingKeyGivesEmptyTextAndOneErrorLine) {
    testsupport::TempHome home;
    const auto key = platform::UninstallKey::ForUser(platform::CurrentUserLocations());
    std::string value = "stale";
    EXPECT_FALSE(QueryRegistryKey(key, "InstallPath", value));
    EXPECT_EQ(value, "");
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("][ERROR][CGameRemoteConfig::QueryRegistryKey::"), std::string::npos);
    EXPECT_NE(log.find("][QueryRegistryKey lret:2 error:2]\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("\r\n"), log.size() - 2) << "exactly one line";
}

TEST(QueryRegistryKey, ReadsTheValueUpToItsFirstNull) {
    testsupport::TempHome home;
    auto key = platform::UninstallKey::ForUser(platform::CurrentUserLocations());
    ASSERT_EQ(key.CreateKey(), 0);
    ASSERT_EQ(key.SetValue("InstallPath", "/games/vorn lunet"), 0);
    ASSERT_EQ(key.SetValue("Odd", std::string("a\0b", 3)), 0);
    std::string value;
    EXPECT_TRUE(QueryRegistryKey(key, "InstallPath", value));
    EXPECT_EQ(value, "/games/vorn lunet");
    EXPECT_TRUE(QueryRegistryKey(key, "Odd", value));
    EXPECT_EQ(value, "a");
    EXPECT_FALSE(QueryRegistryKey(key, "Missing", value));
    EXPECT_EQ(value, "");
    EXPECT_NE(testsupport::LogText().find("][QueryRegistryKey lret:2 error:2]"), std::string::npos);
}

}  // namespace

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;

std::string Value(const platform::UninstallKey& key, const char* name) {
    std::string value;
    key.QueryValue(name, value);
    return value;
}

TEST(SetRegisties, WritesTheFiveValuesAndRemoveRegistiesDeletesThem) {
    testsupport::UpdateWorld world;
    auto config = world.NewConfig();
    config->SetRegisties();
    const auto& key = config->Context().uninstallKey;
    const std::string copy = (world.installDir / "Brannoc").string();
    EXPECT_EQ(Value(key, "DisplayIcon"), copy);
    EXPECT_EQ(Value(key, "DisplayName"), "Brannoc");
    EXPECT_EQ(Value(key, "DisplayVersion"), "0.0.0.1");
    EXPECT_EQ(Value(key, "UninstallString"), copy + " /uninstall");
    EXPECT_EQ(Value(key, "InstallPath"), world.installDir.string());
    // Written again on later runs with the same texts.
    config->SetRegisties();
    EXPECT_EQ(Value(key, "InstallPath"), world.installDir.string());

    config->RemoveRegisties();
    config->RemoveRegisties();
    EXPECT_FALSE(fs::exists(key.File()));
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[INFO][CGameRemoteConfig::RemoveRegisties::"), std::string::npos);
    const size_t first = log.find("] lret:0\r\n");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find("] lret:2\r\n", first), std::string::npos) << "the missing key's code";
}

TEST(SetRegisties, AKeyThatCannotBeWrittenIsLoggedWithItsCodes) {
    testsupport::UpdateWorld world;
    // A file where the key's folder should be.
    testsupport::WriteFile(world.home.DataHome() / "vorn_lunet", "in the way");
    auto config = world.NewConfig();
    config->SetRegisties();
    EXPECT_NE(testsupport::LogText().find("][ERROR][CGameRemoteConfig::SetRegisties::"),
              std::string::npos);
    EXPECT_NE(testsupport::LogText().find("][SetRegisties lret:3 error:20]\r\n"), std::string::npos)
        << testsupport::LogText();
}

// The desktop entry as the validator and a desktop environment read it.
class Shortcuts : public ::testing::Test, protected testsupport::UpdateWorld {
  protected:
    static int Validate(const fs::path& entry, std::string& output) {
        const auto result = testsupport::RunProgram({"desktop-file-validate", entry.string()});
        output = result.output;
        return result.exitCode;
    }
};

TEST_F(Shortcuts, FourValidEntriesPointAtTheLauncherCopy) {
    // An install directory with every character that needs care in an Exec line.
    installDir = Root() / "游戏 \"q\" it's $HOME `x` back\\slash 100%";
    fs::create_directories(installDir);
    testsupport::WriteFile(home.ConfigHome() / "user-dirs.dirs",
                           "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    auto config = NewConfig();
    testsupport::WriteFile(Root() / "home" / "桌面" / "Brannoc.desktop", "an old entry");
    config->CreateShortcuts();

    const fs::path menu = home.DataHome() / "applications" / "Apps" / "lunet";
    const std::string exec = "Exec=\"" + (Root() / "").string() +
                             R"(游戏 \\"q\\" it's \\$HOME \\`x\\` back\\\\slash 100%%/Brannoc")";
    struct Entry {
        fs::path path;
        std::string name;
        std::string execLine;
    } entries[] = {
        {menu / "Brannoc.desktop", "Brannoc", exec},
        {menu / "Brannoc-卸载.desktop", "Brannoc-卸载", exec + " /uninstall"},
        {Root() / "home" / "桌面" / "Brannoc.desktop", "Brannoc", exec},
        {installDir / "Brannoc-卸载.desktop", "Brannoc-卸载", exec + " /uninstall"},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.path.string());
        EXPECT_EQ(ReadFile(entry.path), "[Desktop Entry]\nType=Application\nName=" + entry.name +
                                            "\n" + entry.execLine + "\nIcon=applications-games\n");
        EXPECT_EQ(fs::status(entry.path).permissions() & fs::perms::all,
                  fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec);
        std::string output;
        EXPECT_EQ(Validate(entry.path, output), 0) << output;
    }

    const std::string log = testsupport::LogText();
    const char* sequence[] = {
        "[CGameRemoteConfig::CreateShortcuts::",
        "] Begin CreateShortcuts\r\n",
        "[CGameRemoteConfig::CreateShortcut::",
        "] Begin CreateShortcut\r\n",
        "] ",
        "] \r\n",  // the menu folder, no arguments
        "[CGameRemoteConfig::CreateLink::",
        "] Begin CreateLink\r\n",
        "] End CreateLink\r\n",
        "] End CreateShortcut\r\n",
        "] /uninstall\r\n",
        "] End CreateShortcuts\r\n",
    };
    size_t at = 0;
    for (const char* piece : sequence) {
        at = log.find(piece, at);
        ASSERT_NE(at, std::string::npos) << piece << "\n" << log;
    }
}

TEST_F(Shortcuts, TheGivenIconIsWrittenBesideTheCopy) {
    UpdateContext context = Context();
    context.iconPng = std::string("\x89PNG\r\n\x1a\n", 8) + "pixels";
    CGameRemoteConfig config(context);
    config.CreateShortcuts();
    const fs::path icon = installDir / "Brannoc.png";
    EXPECT_EQ(ReadFile(icon), context.iconPng);
    const fs::path entry = installDir / "Brannoc-卸载.desktop";
    EXPECT_NE(ReadFile(entry).find("\nIcon=" + icon.string() + "\n"), std::string::npos);
    std::string output;
    EXPECT_EQ(Validate(entry, output), 0) << output;
}

TEST_F(Shortcuts, AFolderThatCannotBeCreatedSkipsOnlyItsEntry) {
    testsupport::WriteFile(home.DataHome() / "applications" / "Apps", "a file in the way");
    auto config = NewConfig();
    config->CreateShortcuts();
    EXPECT_TRUE(fs::exists(home.Home() / "Desktop" / "Brannoc.desktop"));
    EXPECT_TRUE(fs::exists(installDir / "Brannoc-卸载.desktop"));
    EXPECT_NE(testsupport::LogText().find("][ERROR][CGameRemoteConfig::CreateLink::"),
              std::string::npos);
    EXPECT_NE(testsupport::LogText().find("][CreateLink ret:3 hRes:-2147024893]"),
              std::string::npos)
        << testsupport::LogText();
}

TEST(DesktopEntry, ExecArgumentsAreQuotedOnlyWhenNeeded) {
    struct Case {
        const char* argument;
        const char* quoted;
    } cases[] = {
        {"/uninstall", "/uninstall"},
        {"/opt/game/Brannoc", "/opt/game/Brannoc"},
        {"/a b", "\"/a b\""},
        {"/a\"b", "\"/a\\\"b\""},
        {"/a'b", "\"/a'b\""},
        {"/a$b`c\\d", "\"/a\\$b\\`c\\\\d\""},
        {"/a;b|c&d<e>f~g*h?i#j(k)l", "\"/a;b|c&d<e>f~g*h?i#j(k)l\""},
        {"/游戏", "\"/游戏\""},
        {"/50%", "/50%%"},
        {"", "\"\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(QuoteExecArgument(c.argument), c.quoted) << c.argument;
    }
}

}  // namespace
