#include "platform/UninstallKey.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/ErrorCodes.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using platform::kErrorFileNotFound;
using platform::kErrorSuccess;
using platform::UninstallKey;

class UninstallKeyTest : public ::testing::Test {
  protected:
    testsupport::TempHome home;
    UninstallKey key = UninstallKey::ForUser(platform::CurrentUserLocations());
};

TEST_F(UninstallKeyTest, LivesInDataHomeUnderItsOwnFolder) {
    EXPECT_EQ(key.File(), home.DataHome() / "vorn_lunet/uninstall.ini");
}

TEST_F(UninstallKeyTest, MissingKeyAnswersNotFoundEverywhere) {
    std::string value = "untouched";
    EXPECT_EQ(key.QueryValue("InstallPath", value), kErrorFileNotFound);
    EXPECT_EQ(value, "untouched");
    EXPECT_EQ(key.SetValue("InstallPath", "/x"), kErrorFileNotFound);
    EXPECT_EQ(key.DeleteKey(), kErrorFileNotFound);
    EXPECT_FALSE(fs::exists(key.File()));
}

TEST_F(UninstallKeyTest, RoundTripWritesTheGroupAndKeepsTheOrder) {
    ASSERT_EQ(key.CreateKey(), kErrorSuccess);
    ASSERT_EQ(key.SetValue("DisplayName", "Brannoc"), kErrorSuccess);
    ASSERT_EQ(key.SetValue("InstallPath", "/home/u/vorn-lunet"), kErrorSuccess);
    ASSERT_EQ(key.SetValue("DisplayName", "Brannoc 2"), kErrorSuccess);
    EXPECT_EQ(testsupport::ReadFile(key.File()),
              "[vorn_lunet]\nDisplayName=Brannoc 2\nInstallPath=/home/u/vorn-lunet\n");
    std::string value;
    EXPECT_EQ(key.QueryValue("InstallPath", value), kErrorSuccess);
    EXPECT_EQ(value, "/home/u/vorn-lunet");
    EXPECT_EQ(key.QueryValue("installpath", value), kErrorFileNotFound);
    // A second CreateKey keeps what is there.
    EXPECT_EQ(key.CreateKey(), kErrorSuccess);
    EXPECT_EQ(key.QueryValue("DisplayName", value), kErrorSuccess);
    EXPECT_EQ(value, "Brannoc 2");
    // Only the owner can read the entry, and no temporary file is left behind.
    struct stat st {};
    ASSERT_EQ(stat(key.File().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(
        std::distance(fs::directory_iterator(key.File().parent_path()), fs::directory_iterator()),
        1);
}

TEST_F(UninstallKeyTest, AnyTextSurvivesTheRoundTrip) {
    ASSERT_EQ(key.CreateKey(), kErrorSuccess);
    const std::string values[] = {
        "",
        " leading and trailing blanks ",
        "line one\nline two\r\n[vorn_lunet]\nInstallPath=/evil",
        "back\\slash \\n not a newline \\s",
        "tab\there = equals == and ; # comment chars",
        "/home/用户/游戏 目录",
        std::string("invalid \xff\xfe utf-8"),
        "\"quoted\" 'single' $HOME `cmd` $(cmd)",
    };
    for (const auto& v : values) {
        ASSERT_EQ(key.SetValue("InstallPath", v), kErrorSuccess);
        std::string back;
        ASSERT_EQ(key.QueryValue("InstallPath", back), kErrorSuccess);
        EXPECT_EQ(back, v);
        // The hostile value never creates a second entry or group.
        ASSERT_EQ(key.SetValue("DisplayName", "Brannoc"), kErrorSuccess);
        ASSERT_EQ(key.QueryValue("DisplayName", back), kErrorSuccess);
        EXPECT_EQ(back, "Brannoc");
    }
}

TEST_F(UninstallKeyTest, OtherGroupsAndHandEditsAreKept) {
    testsupport::WriteFile(key.File(),
                           "# note\n[other]\nInstallPath=/other\n\n[vorn_lunet]\n"
                           "InstallPath = /spaced\n");
    std::string value;
    ASSERT_EQ(key.QueryValue("InstallPath", value), kErrorSuccess);
    EXPECT_EQ(value, "/spaced");
    ASSERT_EQ(key.SetValue("DisplayIcon", "/i"), kErrorSuccess);
    EXPECT_EQ(testsupport::ReadFile(key.File()),
              "# note\n[other]\nInstallPath=/other\n\n[vorn_lunet]\n"
              "InstallPath = /spaced\nDisplayIcon=/i\n");
}

TEST_F(UninstallKeyTest, DeleteRemovesTheKeyAndItsFolder) {
    ASSERT_EQ(key.CreateKey(), kErrorSuccess);
    ASSERT_EQ(key.SetValue("InstallPath", "/x"), kErrorSuccess);
    EXPECT_EQ(key.DeleteKey(), kErrorSuccess);
    EXPECT_FALSE(fs::exists(key.File().parent_path()));
    std::string value;
    EXPECT_EQ(key.QueryValue("InstallPath", value), kErrorFileNotFound);
    EXPECT_EQ(key.DeleteKey(), kErrorFileNotFound);
}

TEST_F(UninstallKeyTest, UnwritableFolderReportsAccessDenied) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root ignores file permissions";
    }
    ASSERT_EQ(key.CreateKey(), kErrorSuccess);
    fs::permissions(key.File().parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(key.SetValue("InstallPath", "/x"), platform::kErrorAccessDenied);
    EXPECT_NE(key.LastError(), 0);
}

TEST_F(UninstallKeyTest, InvalidNamesAreRefused) {
    ASSERT_EQ(key.CreateKey(), kErrorSuccess);
    for (const char* name : {"", "a=b", "[g]", "two\nlines", " padded"}) {
        EXPECT_EQ(key.SetValue(name, "v"), platform::kErrorInvalidParameter) << name;
    }
}

}  // namespace
