#pragma once
// Percent-encoding for query values: every byte outside the unreserved set of RFC 3986
// (A-Z a-z 0-9 - . _ ~) becomes %XX, so '&', '=', '#', '+', blanks and UTF-8 text arrive
// intact whatever the server's query parser does with them.

#include <string>
#include <string_view>

std::string UrlEscape(std::string_view text);
