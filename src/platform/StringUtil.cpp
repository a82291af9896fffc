#include "platform/StringUtil.h"

#include <cstdarg>
#include <cstdio>

namespace platform {

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (needed > 0) {
        out.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(out.data(), out.size(), format, args);
        out.resize(static_cast<size_t>(needed));
    }
    va_end(args);
    return out;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    if (from.empty()) {
        return std::string(text);
    }
    size_t pos = 0;
    while (true) {
        const size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) {
            out.append(text.substr(pos));
            return out;
        }
        out.append(text.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::int64_t ParseDecimal64(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate towards the sign so that INT64_MIN itself is representable.
    std::int64_t value = 0;
    bool clamped = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (clamped) {
            continue;
        }
        if (negative) {
            if (value < (INT64_MIN + digit) / 10) {
                value = INT64_MIN;
                clamped = true;
                continue;
            }
            value = value * 10 - digit;
        } else {
            if (value > (INT64_MAX - digit) / 10) {
                value = INT64_MAX;
                clamped = true;
                continue;
            }
            value = value * 10 + digit;
        }
    }
    return value;
}

std::int32_t ParseDecimal32(std::string_view text) {
    const std::int64_t wide = ParseDecimal64(text);
    if (wide > INT32_MAX)
        return INT32_MAX;
    if (wide < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(wide);
}

}  // namespace platform
