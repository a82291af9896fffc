#include "platform/KeyFileValue.h"

namespace platform {

std::string EscapeKeyFileValue(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case ' ':
                out += (i == 0 ? "\\s" : " ");
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeKeyFileValue(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 's':
                out += ' ';
                break;
            default:
                out += '\\';
                out += next;
        }
    }
    return out;
}

}  // namespace platform
