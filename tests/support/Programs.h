#pragma once
// Runs a program of the machine (an archiver, a validator, xdotool) for a test and waits for
// it, with a bound.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
    bool finished = false;  // ended by itself within the bound
    int exitCode = -1;      // -1 when it could not start, was killed or did not exit normally
    std::string output;     // standard output (and standard error, when merged)
};

// Looks argv[0] up on PATH and runs it in `workDir` (the current folder when empty) with the
// test's environment and no input. A program still running at the bound is killed. Without
// `mergeStderr`, standard error goes where the test's goes, so parsed output stays clean.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         const std::filesystem::path& workDir = {},
                         std::chrono::milliseconds bound = std::chrono::seconds(60),
                         bool mergeStderr = true);

}  // namespace testsupport
