#include "platform/KeyFileValue.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyFileValue, EscapesWhatAReaderWouldMisreadAndReadsItBack) {
    EXPECT_EQ(platform::EscapeKeyFileValue(" a\\b\nc\td\re "), "\\sa\\\\b\\nc\\td\\re ");
    EXPECT_EQ(platform::UnescapeKeyFileValue("\\sa\\\\b\\nc\\td\\re "), " a\\b\nc\td\re ");
    // An escape the writer never makes is kept as it stands, as is a trailing backslash.
    EXPECT_EQ(platform::UnescapeKeyFileValue("\\q\\"), "\\q\\");
}

}  // namespace
