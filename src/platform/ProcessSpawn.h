#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

struct SpawnResult {
    bool started = false;
    pid_t pid = -1;
    int error = 0;  // errno when not started
};

// Starts `executable` with exactly `argv` (argv[0] included) in `workingDirectory`, in a new
// session, with the caller's environment and default signal handling. The caller does not
// wait for it.
SpawnResult SpawnProcess(const std::filesystem::path& executable,
                         const std::vector<std::string>& argv,
                         const std::filesystem::path& workingDirectory);

}  // namespace platform
