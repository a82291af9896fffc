#pragma once
// What the caller fills in for one request; the request keeps its own copy.

#include <cstdint>
#include <string>

// "<game>-Launcher/<version> (Linux)": there is no system browser to borrow a user agent from.
std::string DefaultUserAgent();

// The verb text for RequestOptions::verb: 0 "GET", 1 and 2 "POST", 3 "DELETE", else "GET".
const char* VerbText(int verb);

struct RequestOptions {
    // Sent only when not empty.
    std::string postBody;
    int verb = 0;
    // Absolute; the port given in it is used.
    std::string url;
    // Not 0: "Range: bytes=<rangeStart>-" follows the extra headers.
    std::int32_t rangeStart = 0;
    // Empty: no User-Agent header.
    std::string userAgent = DefaultUserAgent();
    // Header lines, each ending in CR LF.
    std::string extraHeaders;
    // The whole request, counted from AddRequest; 0 = none.
    std::uint32_t timeoutMs = 0;
    // Empty: the environment's proxy settings. User and password are set only when not empty.
    std::string proxyHost;
    int proxyPort = 80;
    std::string proxyUser;
    std::string proxyPassword;
};
