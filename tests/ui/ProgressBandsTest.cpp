#include "ui/ProgressBands.h"

#include <gtest/gtest.h>

namespace {

using ui::FillRect;
using ui::Rgb;

constexpr Rgb kBlue{0, 132, 255};
constexpr Rgb kGrey{105, 105, 105};
constexpr Rgb kBlack{0, 0, 0};

// The colour each column (or row) of the extent ends up with, after all fills in order.
std::vector<Rgb> PaintedLine(const std::vector<FillRect>& fills, int extent, bool vertical) {
    std::vector<Rgb> line(extent, Rgb{1, 2, 3});
    for (const auto& f : fills) {
        const int from = vertical ? f.top : f.left;
        const int to = vertical ? f.bottom : f.right;
        for (int i = from; i < to; ++i)
            line[i] = f.colour;
    }
    return line;
}

TEST(ProgressBands, BandCountFollowsTheColourDifferences) {
    struct Case {
        Rgb start, end;
        int bands;
    } cases[] = {
        {kBlue, kBlue, 255},  // equal colours: largest start channel
        {Rgb{10, 60, 30}, Rgb{10, 60, 30}, 60},
        {kBlack, kBlack, 255},                 // black on black
        {kBlack, Rgb{10, 20, 30}, 30},         // largest absolute difference
        {Rgb{200, 0, 0}, Rgb{0, 10, 0}, 200},  // negative differences count by size
        {Rgb{255, 0, 0}, Rgb{0, 0, 255}, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::BandCount(c.start, c.end), c.bands)
            << int(c.start.r) << "," << int(c.start.g) << "," << int(c.start.b);
}

TEST(ProgressBands, OutOfRangePositionsPaintTheFixedGreyWhateverTheBackColour) {
    for (int position : {0, -5, 101, 1000}) {
        ui::ProgressLook look{0, 100, position, kBlue, kBlue, Rgb{9, 9, 9}};
        const auto fills = ui::PlanProgressFill(look, 400, 12, false);
        ASSERT_EQ(fills.size(), 1u) << position;
        EXPECT_EQ(fills[0], (FillRect{0, 0, 400, 12, kGrey})) << position;
    }
}

TEST(ProgressBands, FullPositionPaintsEveryBandInTheStartColour) {
    ui::ProgressLook look{0, 100, 100, kBlue, kBlue, kGrey};
    const auto line = PaintedLine(ui::PlanProgressFill(look, 400, 12, false), 400, false);
    for (int x = 0; x < 400; ++x)
        ASSERT_EQ(line[x], kBlue) << x;
}

TEST(ProgressBands, HalfPositionFillsUpToTheFirstBandEdgeBeyondTheMiddle) {
    // 255 bands over 400 pixels, edges at (int)(i * 1.5686): the band ending at 200 does not
    // pass the filled extent (200), the next one, from 200 to 202, does and is the last.
    ui::ProgressLook look{0, 100, 50, kBlue, kBlue, kGrey};
    const auto fills = ui::PlanProgressFill(look, 400, 12, false);
    const auto line = PaintedLine(fills, 400, false);
    int firstBack = 0;
    while (firstBack < 400 && line[firstBack] == kBlue)
        ++firstBack;
    EXPECT_EQ(firstBack, 202);
    for (int x = firstBack; x < 400; ++x)
        ASSERT_EQ(line[x], kGrey) << x;
    // Every band spans the full height, and nothing leaves the client area.
    for (const auto& f : fills) {
        EXPECT_EQ(f.top, 0);
        EXPECT_EQ(f.bottom, 12);
        EXPECT_GE(f.left, 0);
        EXPECT_LE(f.right, 400);
    }
}

TEST(ProgressBands, BandsAreAllTheStartColourNeverBlended) {
    // 30 bands from black to (10,20,30): all black, the rest in the back colour.
    ui::ProgressLook look{0, 100, 40, kBlack, Rgb{10, 20, 30}, Rgb{200, 200, 200}};
    const auto fills = ui::PlanProgressFill(look, 300, 5, false);
    size_t bands = 0;
    for (const auto& f : fills) {
        if (f.colour == kBlack)
            ++bands;
        else
            EXPECT_EQ(f.colour, (Rgb{200, 200, 200}));
    }
    // 300 / 30 = 10 pixels a band; filled = 120, so bands up to the one ending at 130.
    EXPECT_EQ(bands, 13u);
    const auto line = PaintedLine(fills, 300, false);
    EXPECT_EQ(line[129], kBlack);
    EXPECT_EQ(line[130], (Rgb{200, 200, 200}));
}

TEST(ProgressBands, VerticalBarsFillAlongTheHeight) {
    ui::ProgressLook look{0, 100, 25, kBlack, Rgb{0, 0, 100}, kGrey};
    const auto fills = ui::PlanProgressFill(look, 8, 200, true);
    const auto line = PaintedLine(fills, 200, true);
    // 100 bands of 2 rows; filled = 50, so the band ending at 52 is the last in colour.
    EXPECT_EQ(line[51], kBlack);
    EXPECT_EQ(line[52], kGrey);
    for (const auto& f : fills) {
        EXPECT_EQ(f.left, 0);
        EXPECT_EQ(f.right, 8);
    }
}

TEST(ProgressBands, FilledExtentUsesThePositionOverTheUpperBoundOnly) {
    EXPECT_EQ(ui::FilledExtent(50, 100, 400), 200);
    EXPECT_EQ(ui::FilledExtent(150, 200, 400), 300);  // not (150 - lower) / (200 - lower)
    EXPECT_EQ(ui::FilledExtent(1, 3, 100), 33);       // truncated
    // A zero upper bound (position in range only with a negative lower bound) has no quotient;
    // it must not be undefined behaviour.
    EXPECT_LE(ui::FilledExtent(-5, 0, 400), 0);
    EXPECT_EQ(ui::FilledExtent(0, 0, 400), 0);
}

TEST(ProgressBands, NegativeRangeWithZeroUpperBoundStillPaints) {
    ui::ProgressLook look{-10, 0, -5, kBlue, kBlue, kGrey};
    const auto line = PaintedLine(ui::PlanProgressFill(look, 100, 4, false), 100, false);
    EXPECT_EQ(line[99], kGrey);
}

TEST(ProgressBands, PercentTextPadsToThreePlaces) {
    struct Case {
        int position, lower, upper;
        const char* text;
    } cases[] = {
        {50, 0, 200, " 25 %"},
        {100, 0, 100, "100 %"},
        {1, 0, 100, "  1 %"},
        {2, 0, 3, " 67 %"},  // rounded, not truncated
        {15, 10, 20, " 50 %"},
        {2147483647, -2147483647 - 1, 2147483647, "100 %"},  // no overflow over the full range
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::FormatPercentText(c.position, c.lower, c.upper), c.text)
            << c.position << " in " << c.lower << ".." << c.upper;
}

}  // namespace
