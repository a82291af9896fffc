#pragma once
// Constants fixed when the launcher is built. The management server's address and the three
// web pages come from CMake cache variables (LAUNCHER_SERVER_URL and friends); the rest is fixed.

#include <string_view>

extern const std::string_view g_strLauncherVersion;  // "0.0.0.1"
extern const std::string_view g_strGameName;         // "Brannoc"
extern const std::string_view g_strDitchName;        // "lunet"
extern const std::string_view g_strConfigUrl;        // configuration endpoint
extern const std::string_view g_strErrorUrl;         // message reports
extern const std::string_view g_strInfoUrl;          // event reports
extern const std::string_view g_strJsMethodName;     // "JavascriptToCsharp"
extern const std::string_view g_strHomeUrl;          // the platform's home page
extern const std::string_view g_strFaqUrl;           // the FAQ page
extern const std::string_view g_strGamePageUrl;      // the game's page
