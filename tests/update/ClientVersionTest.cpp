#include "update/ClientVersion.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "app/CLocalLog.h"
#include "support/TempHome.h"
#include "update/RemoteConfig.h"

// Found by argument-dependent lookup, so gtest prints versions readably.
static std::ostream& operator<<(std::ostream& os, const LocalClientVersion& v) {
    return os << v.major << '.' << v.minor << '.' << v.revision << '.' << v.build;
}

namespace {
namespace fs = std::filesystem;

LocalClientVersion V(int a, int b, int c, int d) {
    return {a, b, c, d};
}

TEST(CStringToLocalClientVersion, TableOfTexts) {
    testsupport::TempHome home;
    struct Case {
        std::string text;
        LocalClientVersion expected;
    } cases[] = {
        {"1.0.3.27", V(1, 0, 3, 27)},
        {"1.2", V(1, 2, 0, 0)},
        {"1.2.3.4.5", V(1, 2, 3, 4)},
        {"1.0.0.5\n", V(1, 0, 0, 5)},
        {"1.0.0.5\r", V(1, 0, 0, 5)},
        {"ver1.2.3.4", V(0, 2, 3, 4)},
        {"", V(0, 0, 0, 0)},
        {"1..3", V(1, 0, 3, 0)},
        {"99999999999.1.1.1", V(INT_MAX, 1, 1, 1)},
        {"-99999999999.-1. +7.x", V(INT_MIN, -1, 7, 0)},
        {" 2 . 3", V(2, 3, 0, 0)},
        {"....", V(0, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        LocalClientVersion v = V(9, 9, 9, 9);  // every field is overwritten
        CStringToLocalClientVersion(v, c.text);
        EXPECT_EQ(v, c.expected) << c.text;
    }
}

TEST(CStringToLocalClientVersion, LogsTheTextItParses) {
    testsupport::TempHome home;
    LocalClientVersion v;
    CStringToLocalClientVersion(v, "1.0.0.3\r");
    EXPECT_NE(
        testsupport::LogText().find("][INFO][CGameRemoteConfig::CStringToLocalClientVersion::"),
        std::string::npos);
    EXPECT_NE(testsupport::LogText().find("] local_client_version:1.0.0.3\r\r\n"),
              std::string::npos);
}

TEST(IsOlderVersion, ComparesComponentsInOrderAsSignedNumbers) {
    struct Case {
        LocalClientVersion a, b;
        bool older;
    } cases[] = {
        {V(1, 2, 3, 4), V(1, 2, 3, 5), true},  {V(0, 0, 0, 0), V(0, 0, 0, 1), true},
        {V(1, 2, 3, 5), V(1, 2, 3, 4), false}, {V(1, 2, 3, 4), V(1, 2, 3, 4), false},
        {V(2, 0, 0, 0), V(1, 9, 9, 9), false}, {V(1, 9, 9, 9), V(2, 0, 0, 0), true},
        {V(-1, 0, 0, 0), V(0, 0, 0, 0), true}, {V(1, 0, 0, 0), V(1, 1, 0, 0), true},
        {V(1, 1, 0, 9), V(1, 1, 1, 0), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsOlderVersion(c.a, c.b), c.older) << c.a << " vs " << c.b;
    }
}

class VersionFile : public ::testing::Test {
  protected:
    testsupport::TempHome home;
    fs::path client = home.Root() / "install/client";
    void SetUp() override { fs::create_directories(client); }
};

TEST_F(VersionFile, ReadCases) {
    struct Case {
        std::optional<std::string> content;
        LocalClientVersion expected;
        bool missing;
    } cases[] = {
        {"1.0.0.7", V(1, 0, 0, 7), false},
        {"1.0.0.7\n", V(1, 0, 0, 7), false},
        {"1.0.0.7\r\n9.9.9.9\n", V(1, 0, 0, 7), false},
        {"", V(0, 0, 0, 0), false},
        {std::nullopt, V(0, 0, 0, 0), true},
        // Only the first 63 bytes count: the fourth number is cut after its first digit.
        {std::string(56, ' ') + "1.2.3.45", V(1, 2, 3, 4), false},
    };
    for (const auto& c : cases) {
        fs::remove(LocalClientVersionPath(client));
        if (c.content) {
            testsupport::WriteFile(LocalClientVersionPath(client), *c.content);
        }
        InstalledClientState state;
        ReadLocalClientVersion(client, state);
        EXPECT_EQ(state.installedVersion, c.expected) << c.content.value_or("<missing>");
        EXPECT_EQ(state.versionFileMissing, c.missing) << c.content.value_or("<missing>");
    }
    EXPECT_NE(testsupport::LogText().find("[INFO][CGameRemoteConfig::InitRemoteConfig::"),
              std::string::npos);
    EXPECT_NE(testsupport::LogText().find(LocalClientVersionPath(client).string()),
              std::string::npos);
}

TEST_F(VersionFile, WriteStoresTheConfiguredTextExactly) {
    RemoteConfigMap config;
    ParseRemoteConfig("ClientVersion=1.0.0.3\r\nOther=x", config);
    testsupport::WriteFile(LocalClientVersionPath(client), "0.0.0.1 with a longer old text");
    WriteLocalClientVersion(client, config);
    EXPECT_EQ(testsupport::ReadFile(LocalClientVersionPath(client)), "1.0.0.3\r");

    InstalledClientState state;
    ReadLocalClientVersion(client, state);
    EXPECT_EQ(state.installedVersion, V(1, 0, 0, 3));

    // Without ClientVersion the file is emptied; without a folder nothing happens.
    WriteLocalClientVersion(client, RemoteConfigMap());
    EXPECT_EQ(testsupport::ReadFile(LocalClientVersionPath(client)), "");
    WriteLocalClientVersion(home.Root() / "missing", config);
    EXPECT_FALSE(fs::exists(home.Root() / "missing"));
}

TEST(CStringToLocalClientVersion, RandomTextsNeverCrash) {
    testsupport::TempHome home;
    CLocalLog::Instance().KeepOut();  // a hundred thousand log lines are of no interest here
    std::mt19937 rng(7);
    const std::string alphabet = "0123456789.+- \t\n\r-9";
    for (int round = 0; round < 20000; ++round) {
        std::string text(rng() % 48, '\0');
        for (char& c : text) {
            c = (rng() % 4 == 0) ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
        }
        LocalClientVersion v;
        CStringToLocalClientVersion(v, text);
        // Parsing is a function of the text: the same text gives the same version.
        LocalClientVersion again;
        CStringToLocalClientVersion(again, text);
        ASSERT_EQ(v, again);
    }
}

}  // namespace
