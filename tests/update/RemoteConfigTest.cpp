#include "update/RemoteConfig.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

using Entries = std::map<std::string, std::string>;

Entries Parse(std::string_view text) {
    RemoteConfigMap map;
    ParseRemoteConfig(text, map);
    return Entries(map.Entries().begin(), map.Entries().end());
}

TEST(ParseRemoteConfig, TableOfTexts) {
    struct Case {
        const char* name;
        std::string text;
        Entries expected;
    } cases[] = {
        {"three lines", "a=1\nb=2\nc=3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        {"first occurrence wins", "a=1\na=2\n", {{"a", "1"}}},
        {"heading line skipped", "heading\na=1\nb=2", {{"a", "1"}, {"b", "2"}}},
        {"empty line ends parsing", "a=1\n\nb=2", {{"a", "1"}}},
        {"later line without = ends parsing", "a=1\nnoequals\nb=2", {{"a", "1"}}},
        {"final LF", "a=1\n", {{"a", "1"}}},
        {"no final LF", "a=1", {{"a", "1"}}},
        {"leading LF", "\na=1", {{"a", "1"}}},
        {"empty value", "k=", {{"k", ""}}},
        {"empty key", "=v", {{"", "v"}}},
        {"value cut at second =", "k=x=y", {{"k", "x"}}},
        {"nothing trimmed", " k = 1 ", {{" k ", " 1 "}}},
        {"CR stays in the value", "a=1\r\nb=2", {{"a", "1\r"}, {"b", "2"}}},
        {"CR-only line ends parsing", "a=1\n\r\nb=2", {{"a", "1"}}},
        {"empty text", "", {}},
        {"only LF", "\n", {}},
        {"only a heading", "heading", {}},
        {"heading then empty line", "heading\n\na=1", {}},
        {"url with query cut",
         "EntryUrl=http://h/login?a=1&b=2\nClientVersion=1.0.0.3",
         {{"EntryUrl", "http://h/login?a"}, {"ClientVersion", "1.0.0.3"}}},
        {"utf-8 and tabs kept", "名前=値\t\nx=\xff", {{"名前", "値\t"}, {"x", "\xff"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.text), c.expected) << c.name;
    }
}

TEST(RemoteConfigMap, LookupsAreExactAndTellPresenceFromEmptiness) {
    RemoteConfigMap map;
    ParseRemoteConfig("k=\nEntryUrl=http://e/\nCustomParameters=x=1", map);
    std::string value = "untouched";
    EXPECT_TRUE(map.FindConfigValue("k", &value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(map.FindConfigValue("K", &value));
    EXPECT_FALSE(map.FindConfigValue("k ", &value));
    EXPECT_TRUE(map.FindConfigValue("k"));
    EXPECT_EQ(map.GetEntryUrl(), "http://e/");
    EXPECT_EQ(map.GetCustomParameters(), "x");

    RemoteConfigMap empty;
    EXPECT_EQ(empty.GetEntryUrl(), "");
    EXPECT_EQ(empty.GetCustomParameters(), "");
}

TEST(OnConfigWrite, AppendsChunksUpToTheirFirstNul) {
    std::string text;
    char chunk1[] = "a=\xe4\xbd";  // the first two bytes of a three-byte character
    char chunk2[] = "\xa0\nb=2";
    char chunk3[] = {'c', '=', '3', '\0', 'z', 'z'};
    EXPECT_EQ(OnConfigWrite(chunk1, 1, 5, &text), 5u);
    EXPECT_EQ(OnConfigWrite(chunk2, 1, 5, &text), 5u);
    EXPECT_EQ(OnConfigWrite(chunk3, 1, 6, &text), 6u);
    EXPECT_EQ(text, "a=你\nb=2c=3");
    EXPECT_EQ(OnConfigWrite(chunk1, 1, 5, nullptr), 0u);
    EXPECT_EQ(OnConfigWrite(chunk1, 1, 0, &text), 0u);
}

// Random texts: never a crash (the sanitizer builds run this), and every stored entry is a
// line of the text or the key part of one.
TEST(ParseRemoteConfig, RandomTextsKeepTheInvariants) {
    std::mt19937 rng(20261211);
    const std::string alphabet = "ab=\n\r \x00\xff\xe4=\n";
    for (int round = 0; round < 20000; ++round) {
        std::string text(rng() % 64, '\0');
        for (char& c : text) {
            c = (rng() % 3 == 0) ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
        }
        RemoteConfigMap map;
        ParseRemoteConfig(text, map);
        for (const auto& [key, value] : map.Entries()) {
            ASSERT_EQ(key.find('\n'), std::string::npos);
            ASSERT_EQ(key.find('='), std::string::npos);
            ASSERT_EQ(value.find('='), std::string::npos);
            ASSERT_NE(text.find(key + "=" + value), std::string::npos);
        }
    }
}

}  // namespace
