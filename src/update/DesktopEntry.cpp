#include "update/DesktopEntry.h"

#include "platform/KeyFileValue.h"

std::string QuoteExecArgument(std::string_view argument) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    bool quote = argument.empty();
    for (const char c : argument) {
        if (kReserved.find(c) != std::string_view::npos || static_cast<unsigned char>(c) >= 0x80 ||
            static_cast<unsigned char>(c) < 0x20) {
            quote = true;
        }
    }
    std::string out;
    if (quote) {
        out += '"';
    }
    for (const char c : argument) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            out += '\\';
        }
        out += c;
        if (c == '%') {
            out += '%';
        }
    }
    if (quote) {
        out += '"';
    }
    return out;
}

std::string DesktopEntryText(std::string_view name, const std::filesystem::path& target,
                             std::string_view argument, std::string_view icon) {
    // The quoting of the Exec argument comes first; the escaping of the string value applies
    // on top of it.
    std::string exec = QuoteExecArgument(target.string());
    if (!argument.empty()) {
        exec += ' ';
        exec += QuoteExecArgument(argument);
    }
    std::string text = "[Desktop Entry]\nType=Application\n";
    text += "Name=" + platform::EscapeKeyFileValue(name) + "\n";
    text += "Exec=" + platform::EscapeKeyFileValue(exec) + "\n";
    text += "Icon=" + platform::EscapeKeyFileValue(icon) + "\n";
    return text;
}
