#pragma once
// The launcher's artwork, compiled into the executable and found by resource number. The
// launcher copies itself into its install folder, so nothing may be read from beside it.
// Plain bytes only: the windows decode them, the core may write the icon out as it is.

#include <cstdint>
#include <span>

namespace resources {

// PNG resources by number.
inline constexpr int kIcon = 132;  // application icon, 128 x 128
inline constexpr int kSkin = 134;  // 1280 x 725, 8-bit RGBA, transparent around the silhouette
// Link buttons, 78 x 28: normal and pressed/hover images.
inline constexpr int kHomeNormal = 141;
inline constexpr int kHomePressed = 143;
inline constexpr int kGamePageNormal = 144;
inline constexpr int kGamePagePressed = 146;
inline constexpr int kFaqNormal = 147;
inline constexpr int kFaqPressed = 148;
// Window buttons, 33 x 32.
inline constexpr int kMinimizeNormal = 149;
inline constexpr int kMinimizePressed = 150;
inline constexpr int kCloseNormal = 133;
inline constexpr int kClosePressed = 151;

// The bytes of resource `id` (a complete PNG file), or an empty span when there is none.
std::span<const std::uint8_t> FindResource(int id);

// Every resource number in the table, ascending.
std::span<const int> ResourceIds();

}  // namespace resources
