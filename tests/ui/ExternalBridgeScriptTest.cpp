#include "ui/ExternalBridgeScript.h"

#include <gtest/gtest.h>

namespace {

using ui::ExternalCall;

TEST(ExternalBridgeScript, CallsSurviveTheTripWhateverTheirText) {
    const std::string nul("a\0b", 3);
    const ExternalCall calls[] = {
        {"JavascriptToCsharp", {}},
        {"JavascriptToCsharp", {"LoginResult", "true|abc"}},
        {"JavascriptToCsharp", {"", ""}},
        {"m", {"a,b", "100%", "%2C%25%00", nul, "line\nbreak\r\n", "\"quoted\" 'x'"}},
        {"m", {"正在下载：", std::string(100000, 'x')}},
    };
    for (const auto& call : calls) {
        const auto decoded = ui::DecodeExternalCall(ui::EncodeExternalCall(call));
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(*decoded, call);
    }
}

TEST(ExternalBridgeScript, MalformedCallsAreRefused) {
    EXPECT_FALSE(ui::DecodeExternalCall("m,%").has_value());
    EXPECT_FALSE(ui::DecodeExternalCall("m,%2").has_value());
    EXPECT_FALSE(ui::DecodeExternalCall("m,%41").has_value());
    // An empty text is a call of the empty name without arguments, which no object has.
    EXPECT_EQ(ui::DecodeExternalCall("")->member, "");
    EXPECT_EQ(ui::DecodeExternalCall("m,")->args, std::vector<std::string>{""});
}

TEST(ExternalBridgeScript, ResultsTellAStringFromNoValue) {
    EXPECT_EQ(ui::EncodeExternalResult(std::nullopt), "u");
    EXPECT_EQ(ui::EncodeExternalResult(std::string()), "s");
    EXPECT_EQ(ui::EncodeExternalResult(std::string("a%b,c\0d", 7)), "sa%25b,c%00d");
    EXPECT_EQ(ui::EncodeUnknownMember(), "e");
}

TEST(ExternalBridgeScript, MarkersDifferPerProcessAndCarryNoSyntax) {
    const std::string a = ui::MakeExternalMarker();
    EXPECT_NE(a, ui::MakeExternalMarker());
    EXPECT_GT(a.size(), 32u);
    EXPECT_EQ(a.find_first_of("\"\\,%\n"), std::string::npos);
}

TEST(ExternalBridgeScript, UserScriptEmbedsMarkerAndMemberAsLiterals) {
    const std::string script = ui::ExternalUserScript("mark\"er", "JavascriptToCsharp");
    EXPECT_NE(script.find("var marker = \"mark\\\"er\";"), std::string::npos) << script;
    EXPECT_NE(script.find("var member = \"JavascriptToCsharp\";"), std::string::npos);
    EXPECT_EQ(script.find('@'), std::string::npos);
}

TEST(ExternalBridgeScript, JsStringLiteralsEscapeWhatWouldBreakThem) {
    EXPECT_EQ(ui::JsStringLiteral("plain"), "\"plain\"");
    EXPECT_EQ(ui::JsStringLiteral("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(ui::JsStringLiteral("a\nb\x01"), "\"a\\u000ab\\u0001\"");
    EXPECT_EQ(ui::JsStringLiteral("x\u2028y"), "\"x\\u2028y\"");
    EXPECT_EQ(ui::JsStringLiteral("正在"), "\"正在\"");
}

}  // namespace
