#include "update/Registration.h"

#include <gtest/gtest.h>

#include "support/TempHome.h"

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
