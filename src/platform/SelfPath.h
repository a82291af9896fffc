#pragma once

#include <filesystem>
#include <string>

namespace platform {

// Full path of the running executable (what the launcher copies when it installs itself).
std::filesystem::path OwnExecutablePath();

// File name of the running executable without its extension: names the log and crash reports.
std::string ApplicationName();

}  // namespace platform
