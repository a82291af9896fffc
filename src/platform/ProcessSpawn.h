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

struct SpawnOptions {
    std::filesystem::path workingDirectory;  // empty: the caller's
    // Standard input and output on /dev/null and no other descriptor of the caller's, so that
    // nobody waiting for the caller's pipes waits for this process too.
    bool detached = false;
    // "NAME=value" entries; without them the caller's environment.
    const std::vector<std::string>* environment = nullptr;
};

// Starts `executable` with exactly `argv` (argv[0] included) in a new session with default
// signal handling. The caller does not wait for it.
SpawnResult SpawnProcess(const std::filesystem::path& executable,
                         const std::vector<std::string>& argv, const SpawnOptions& options);

// The game's start: in `workingDirectory`, with the caller's environment.
inline SpawnResult SpawnProcess(const std::filesystem::path& executable,
                                const std::vector<std::string>& argv,
                                const std::filesystem::path& workingDirectory) {
    return SpawnProcess(executable, argv, SpawnOptions{workingDirectory, false, nullptr});
}

}  // namespace platform
