#pragma once
// Runs a helper program (xdotool and the like) to its end, with a bound.

#include <chrono>
#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
    bool finished = false;  // ended by itself within the bound
    int exitCode = -1;
    std::string output;  // standard output
};

// Looks `argv[0]` up on PATH; the environment is the test's. A program still running at the
// bound is killed.
ProgramResult RunProgram(const std::vector<std::string>& argv,
                         std::chrono::milliseconds bound = std::chrono::seconds(10));

}  // namespace testsupport
