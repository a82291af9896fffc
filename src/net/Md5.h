#pragma once
// The client identity digest: MD5 of the text's UTF-8 bytes as 32 lower-case hex digits.

#include <string>
#include <string_view>

// Empty when the digest cannot be computed (for instance a crypto library that refuses MD5).
std::string MakeMd5Hex(std::string_view text);
