#include "res/Resources.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes, size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

TEST(Resources, EveryNumberTheWindowsUseIsAnRgbaPngOfItsSize) {
    struct Case {
        int id;
        std::uint32_t width, height;
    } cases[] = {
        {132, 128, 128}, {133, 33, 32}, {134, 1280, 725}, {141, 78, 28},
        {143, 78, 28},   {144, 78, 28}, {146, 78, 28},    {147, 78, 28},
        {148, 78, 28},   {149, 33, 32}, {150, 33, 32},    {151, 33, 32},
    };
    for (const auto& c : cases) {
        const auto png = resources::FindResource(c.id);
        ASSERT_GT(png.size(), 33u) << c.id;
        EXPECT_EQ(std::string(png.begin(), png.begin() + 8), "\x89PNG\r\n\x1a\n") << c.id;
        EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR") << c.id;
        EXPECT_EQ(BigEndian(png, 16), c.width) << c.id;
        EXPECT_EQ(BigEndian(png, 20), c.height) << c.id;
        EXPECT_EQ(png[24], 8) << c.id;  // bits per channel
        EXPECT_EQ(png[25], 6) << c.id;  // RGBA
    }
    EXPECT_EQ(resources::ResourceIds().size(), std::size(cases));
}

TEST(Resources, UnknownNumbersHaveNoBytes) {
    for (int id : {0, -1, 130, 135, 142, 145, 152, 1000})
        EXPECT_TRUE(resources::FindResource(id).empty()) << id;
}

}  // namespace
