#pragma once

#include <filesystem>
#include <string_view>

namespace platform {

enum class ProcessLookup { Found, NotFound, Unreadable };

// Looks for a running process whose executable file name equals `exeName` exactly (letter
// case included): the base name of /proc/<pid>/exe, or of argv[0] when the link cannot be read.
// `procRoot` lets tests supply a fake process table.
ProcessLookup FindProcessByName(std::string_view exeName,
                                const std::filesystem::path& procRoot = "/proc");

}  // namespace platform
