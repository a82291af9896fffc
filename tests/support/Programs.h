#pragma once
// Runs a program of the machine (an archiver, a validator, xdotool) for a test and waits for
// it, with a bound.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
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

// A program that runs beside the test and talks through pipes: the test reads its standard
// output as it comes and decides when it may end by closing its standard input. Killed at
// destruction if it is still running.
class ChildProgram {
  public:
    explicit ChildProgram(const std::vector<std::string>& argv);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    // Reads standard output until it holds `marker`; false at the bound or when output ends.
    bool ReadUntil(std::string_view marker, std::chrono::milliseconds bound);
    const std::string& Output() const { return m_output; }
    // Closes its standard input and waits for its end: the exit code, or -1 when it did not
    // exit normally within the bound (it is then killed).
    int Finish(std::chrono::milliseconds bound);

  private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_output;
};

// Waits until the process `pid` has ended (also when it is not a child of the test); true when
// it has, or had already, within the bound.
bool WaitForProcessEnd(pid_t pid, std::chrono::milliseconds bound);

// The live processes whose parent is `parent`, from /proc.
std::vector<pid_t> ChildProcessesOf(pid_t parent);

}  // namespace testsupport
