#include <gtest/gtest.h>

#include "net/Md5.h"

namespace {

TEST(MakeMd5Hex, MatchesTheReferenceVectors) {
    // The empty message first: it is the identity of a machine whose serials are all empty.
    const std::pair<const char*, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [input, digest] : vectors) {
        EXPECT_EQ(MakeMd5Hex(input), digest) << '"' << input << '"';
    }
}

TEST(MakeMd5Hex, HashesTheUtf8BytesOfNonAsciiText) {
    // "中文" as its six UTF-8 bytes, not as UTF-16 or a legacy code page.
    EXPECT_EQ(MakeMd5Hex("\xE4\xB8\xAD\xE6\x96\x87"), "a7bac2239fcdcb3a067903d8077c4a07");
}

}  // namespace
