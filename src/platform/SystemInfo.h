#pragma once

#include <string>
#include <string_view>

namespace platform {

// The kernel's machine name (uname), e.g. "x86_64" or "i686".
std::string MachineName();

// Whether `machine` names a 64-bit system. The package to fetch follows the system, not the
// launcher's own build: a 32-bit launcher on a 64-bit kernel still fetches the 64-bit client.
bool IsSystem64Bit(std::string_view machine);
bool IsSystem64Bit();

}  // namespace platform
