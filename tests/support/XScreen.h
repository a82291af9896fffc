#pragma once
// Pixels of an X display as they are on the screen, read straight from the server.

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct Rgb8 {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb8&, const Rgb8&) = default;
};

// Whether two colours differ by at most `tolerance` in every channel.
bool Near(Rgb8 a, Rgb8 b, int tolerance);
std::string ToString(Rgb8 colour);

class Screenshot {
  public:
    Screenshot() = default;
    Screenshot(int left, int top, int width, int height, std::vector<Rgb8> pixels)
        : m_left(left), m_top(top), m_width(width), m_height(height), m_pixels(std::move(pixels)) {}

    bool Ok() const { return !m_pixels.empty(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // In screen coordinates.
    Rgb8 At(int x, int y) const;

  private:
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    std::vector<Rgb8> m_pixels;
};

// The rectangle (screen coordinates) of display `displayName` (":<n>"); !Ok() on failure.
Screenshot GrabScreen(const std::string& displayName, int left, int top, int width, int height);

// Paints the root window of `displayName` in one colour, so that whatever is not part of any
// window shows in that colour. False when the display cannot be opened.
bool PaintRootWindow(const std::string& displayName, Rgb8 colour);

}  // namespace testsupport
