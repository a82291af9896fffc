#include "ui/ProgressBands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace ui {

namespace {

// Truncation as the drawing code always did it, but without undefined behaviour for values the
// float cannot bring back into an int (a zero upper bound gives an infinite or NaN quotient).
int TruncateToInt(float value) {
    if (std::isnan(value))
        return 0;
    if (value <= static_cast<float>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    if (value >= static_cast<float>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

void Add(std::vector<FillRect>& fills, FillRect rect, int width, int height) {
    rect.left = std::clamp(rect.left, 0, width);
    rect.right = std::clamp(rect.right, 0, width);
    rect.top = std::clamp(rect.top, 0, height);
    rect.bottom = std::clamp(rect.bottom, 0, height);
    if (rect.left < rect.right && rect.top < rect.bottom)
        fills.push_back(rect);
}

}  // namespace

int BandCount(Rgb start, Rgb end) {
    const int dr = end.r - start.r;
    const int dg = end.g - start.g;
    const int db = end.b - start.b;
    if (dr == 0 && dg == 0 && db == 0) {
        const int largest = std::max({start.r, start.g, start.b});
        return largest != 0 ? largest : 255;
    }
    return std::max({std::abs(dr), std::abs(dg), std::abs(db)});
}

int FilledExtent(int position, int upper, int extent) {
    return TruncateToInt(static_cast<float>(position) / static_cast<float>(upper) *
                         static_cast<float>(extent));
}

std::vector<FillRect> PlanProgressFill(const ProgressLook& look, int width, int height,
                                       bool vertical) {
    std::vector<FillRect> fills;
    if (look.position <= look.lower || look.position > look.upper) {
        Add(fills, {0, 0, width, height, kOutOfRangeColour}, width, height);
        return fills;
    }
    const int extent = vertical ? height : width;
    const int filled = FilledExtent(look.position, look.upper, extent);
    const int bands = BandCount(look.start, look.end);
    const float step = static_cast<float>(extent) / static_cast<float>(bands);
    for (int i = 0; i < bands; ++i) {
        const int lo = TruncateToInt(static_cast<float>(i) * step);
        const int hi = TruncateToInt(static_cast<float>(i + 1) * step);
        if (vertical)
            Add(fills, {0, lo, width + 1, hi, look.start}, width, height);
        else
            Add(fills, {lo, 0, hi, height + 1, look.start}, width, height);
        if (hi > filled) {
            if (vertical)
                Add(fills, {0, hi, width, height, look.back}, width, height);
            else
                Add(fills, {hi, 0, width, height, look.back}, width, height);
            break;
        }
    }
    return fills;
}

std::string FormatPercentText(int position, int lower, int upper) {
    // Differences in 64 bits: the full int range would overflow them.
    const auto done = static_cast<float>(static_cast<long long>(position) - lower);
    const auto range = static_cast<float>(static_cast<long long>(upper) - lower);
    char text[64];
    std::snprintf(text, sizeof text, "%3.0f %%", done * 100.0 / range);
    return text;
}

}  // namespace ui
