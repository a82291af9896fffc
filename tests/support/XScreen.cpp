#include "support/XScreen.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace testsupport {

bool Near(Rgb8 a, Rgb8 b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

std::string ToString(Rgb8 c) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", c.r, c.g, c.b);
    return text;
}

Rgb8 Screenshot::At(int x, int y) const {
    const int cx = x - m_left;
    const int cy = y - m_top;
    if (cx < 0 || cy < 0 || cx >= m_width || cy >= m_height)
        return {};
    return m_pixels[static_cast<size_t>(cy) * m_width + cx];
}

namespace {

int Shift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

}  // namespace

Screenshot GrabScreen(const std::string& displayName, int left, int top, int width, int height) {
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(displayName.c_str()),
                                                        XCloseDisplay);
    if (!display || width <= 0 || height <= 0)
        return {};
    XImage* image =
        XGetImage(display.get(), DefaultRootWindow(display.get()), left, top,
                  static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return {};
    const int rs = Shift(image->red_mask);
    const int gs = Shift(image->green_mask);
    const int bs = Shift(image->blue_mask);
    std::vector<Rgb8> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels[static_cast<size_t>(y) * width + x] = {
                static_cast<std::uint8_t>((p & image->red_mask) >> rs),
                static_cast<std::uint8_t>((p & image->green_mask) >> gs),
                static_cast<std::uint8_t>((p & image->blue_mask) >> bs)};
        }
    }
    XDestroyImage(image);
    return Screenshot(left, top, width, height, std::move(pixels));
}

bool PaintRootWindow(const std::string& displayName, Rgb8 colour) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) {
        return false;
    }
    const Window root = DefaultRootWindow(display);
    XSetWindowBackground(display, root,
                         (static_cast<unsigned long>(colour.r) << 16) |
                             (static_cast<unsigned long>(colour.g) << 8) | colour.b);
    XClearWindow(display, root);
    XSync(display, False);
    XCloseDisplay(display);
    return true;
}

}  // namespace testsupport
