#pragma once
// Runs a program of the machine (an archiver, a validator) for a test and waits for it.

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// Runs argv[0] (looked up in PATH) with the given arguments in `workDir` (the current folder
// when empty), its output (stdout and stderr) collected into `output` when given. Returns the
// exit status, or -1 when it could not be started or did not exit normally.
int RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& workDir = {},
               std::string* output = nullptr);

}  // namespace testsupport
