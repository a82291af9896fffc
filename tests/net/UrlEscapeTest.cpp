#include <gtest/gtest.h>

#include <string>

#include "net/UrlEscape.h"

namespace {

TEST(UrlEscape, EncodesEveryByteOutsideTheUnreservedSet) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"a b", "a%20b"},
        {"&=#+/?%:,", "%26%3D%23%2B%2F%3F%25%3A%2C"},
        {"\xE4\xB8\xAD", "%E4%B8%AD"},                     // "中" as UTF-8
        {std::string("\xFF\x00\r\n", 4), "%FF%00%0D%0A"},  // not UTF-8, and control bytes
    };
    for (const auto& [text, escaped] : cases) {
        EXPECT_EQ(UrlEscape(text), escaped);
    }
}

}  // namespace
