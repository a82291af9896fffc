#pragma once
// String values of key files (the uninstall entry, desktop entries): backslash, line feed,
// tab and carriage return escaped, and a leading blank written as "\s" so that readers that
// trim it keep it. Any text survives the round trip.

#include <string>
#include <string_view>

namespace platform {

std::string EscapeKeyFileValue(std::string_view value);
// Undoes EscapeKeyFileValue; an unknown escape is kept as it stands.
std::string UnescapeKeyFileValue(std::string_view text);

}  // namespace platform
