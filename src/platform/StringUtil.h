#pragma once
// Small text helpers shared by every layer. Text is UTF-8 in std::string; these work on bytes.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// printf-style formatting into a std::string (the system builds most texts this way).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces every occurrence of `from` (non-empty) by `to`, case-sensitively.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

// ASCII-only case-insensitive comparison; other bytes must match exactly.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Decimal conversion as the C runtime's strtol family does it: leading white space skipped,
// one optional sign, digits up to the first non-digit; no digits gives 0, and a value outside
// the type's range is clamped to its limits.
std::int32_t ParseDecimal32(std::string_view text);
std::int64_t ParseDecimal64(std::string_view text);

}  // namespace platform
