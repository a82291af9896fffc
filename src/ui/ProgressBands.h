#pragma once
// How the gradient progress bar fills its client area, without a toolkit: the band count, the
// band edges, the out-of-range colour and the percent text. The control paints these rectangles.

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A position at or below the lower bound, or above the upper one, paints the whole bar in this
// colour, whatever the back colour is.
inline constexpr Rgb kOutOfRangeColour{105, 105, 105};

// The number of equal bands the extent is cut into: the largest channel difference between the
// two colours; for equal colours the largest channel of the start colour (255 when it is black).
int BandCount(Rgb start, Rgb end);

// filled = position / upper * extent, truncated (the lower bound plays no part).
int FilledExtent(int position, int upper, int extent);

struct ProgressLook {
    int lower = 0;
    int upper = 100;
    int position = 0;
    Rgb start{255, 0, 0};
    Rgb end{0, 0, 255};
    Rgb back{0, 0, 0};
};

struct FillRect {
    int left = 0;
    int top = 0;
    int right = 0;   // exclusive
    int bottom = 0;  // exclusive
    Rgb colour;
    friend bool operator==(const FillRect&, const FillRect&) = default;
};

// The fills, in painting order, for a client area of width x height. Bands up to the first edge
// beyond the filled extent get the start colour (every band the same colour: the end colour
// only sets the band count); the rest of the extent gets the back colour. Rectangles are
// clipped to the client area; empty ones are left out.
std::vector<FillRect> PlanProgressFill(const ProgressLook& look, int width, int height,
                                       bool vertical);

// "%3.0f %%" of (position - lower) * 100 / (upper - lower), e.g. " 25 %".
std::string FormatPercentText(int position, int lower, int upper);

}  // namespace ui
