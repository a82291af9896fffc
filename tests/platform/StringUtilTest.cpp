#include "platform/StringUtil.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(StringUtil, FormatAndReplace) {
    EXPECT_EQ(platform::Format("res:%d, httpStatusCode:%ld", 7, 404L), "res:7, httpStatusCode:404");
    EXPECT_EQ(platform::Format("%s", std::string(5000, 'x').c_str()).size(), 5000u);
    EXPECT_EQ(platform::ReplaceAll("{v}/{v}-{x}", "{v}", "1.0"), "1.0/1.0-{x}");
    EXPECT_EQ(platform::ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(platform::ReplaceAll("aaa", "a", "aa"), "aaaaaa");
}

TEST(StringUtil, CaseInsensitiveOnlyForAscii) {
    EXPECT_TRUE(platform::EqualsIgnoreAsciiCase("TrUe", "true"));
    EXPECT_FALSE(platform::EqualsIgnoreAsciiCase("true ", "true"));
    EXPECT_FALSE(platform::EqualsIgnoreAsciiCase("\xc3\x84", "\xc3\xa4"));
}

TEST(StringUtil, DecimalConversionLikeStrtol) {
    struct Case {
        const char* text;
        long long expected64;
        int expected32;
    } cases[] = {
        {"", 0, 0},
        {"42", 42, 42},
        {"  \t\n+17x", 17, 17},
        {"-5", -5, -5},
        {"--5", 0, 0},
        {"ver1", 0, 0},
        {"1 2", 1, 1},
        {"99999999999", 99999999999LL, INT_MAX},
        {"-99999999999", -99999999999LL, INT_MIN},
        {"9223372036854775807", LLONG_MAX, INT_MAX},
        {"9223372036854775808", LLONG_MAX, INT_MAX},
        {"-9223372036854775808", LLONG_MIN, INT_MIN},
        {"-9223372036854775809", LLONG_MIN, INT_MIN},
        {"123456789012345678901234567890", LLONG_MAX, INT_MAX},
        {"4294967296", 4294967296LL, INT_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::ParseDecimal64(c.text), c.expected64) << c.text;
        EXPECT_EQ(platform::ParseDecimal32(c.text), c.expected32) << c.text;
    }
}

}  // namespace
