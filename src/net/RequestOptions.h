#pragma once
// What the caller fills in for one request; the request keeps its own copy.

#include <cstdint>
#include <string>

// "<game>-Launcher/<version> (Linux)": there is no system browser to borrow a user agent from.
std::string DefaultUserAgent();

// The verb text for RequestOptions::verb: 0 "GET", 1 and 2 "POST", 3 "DELETE", else "GET".
const char* VerbText(int verb);

struct RequestOptions {
    std::string postBody;  // sent only when not empty
    int verb = 0;
    std::string url;  // absolute; the port given in it is used
    std::int32_t rangeStart = 0;  // not 0: "Range: bytes=<rangeStart>-" after extraHeaders
    std::string userAgent = DefaultUserAgent();  // empty: no User-Agent header
    std::string extraHeaders;  // header lines, each ending in CR LF
    std::uint32_t timeoutMs = 0;  // whole request, counted from AddRequest; 0 = none
    std::string proxyHost;  // empty: the environment's proxy settings
    int proxyPort = 80;
    std::string proxyUser;  // set only when not empty
    std::string proxyPassword;  // set only when not empty
};
