#include "support/Programs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace testsupport {

namespace {

// The argument vector as posix_spawn takes it; valid while `argv` is.
std::vector<char*> ArgvPointers(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    return args;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& workDir,
                         std::chrono::milliseconds bound, bool mergeStderr) {
    ProgramResult result;
    if (argv.empty()) {
        return result;
    }
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (mergeStderr) {
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    }
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!workDir.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    }
    std::vector<char*> args = ArgvPointers(argv);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + bound;
    bool open = true;
    while (open) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{out[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buf[4096];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) {
            open = false;
        } else {
            result.output.append(buf, static_cast<size_t>(n));
        }
    }
    close(out[0]);
    int status = 0;
    if (open) {  // the bound passed
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return result;
    }
    waitpid(pid, &status, 0);
    result.finished = true;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

ChildProgram::ChildProgram(const std::vector<std::string>& argv) {
    int in[2];
    int out[2];
    if (argv.empty() || pipe2(in, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> args = ArgvPointers(argv);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        return;
    }
    m_pid = pid;
    m_in = in[1];
    m_out = out[0];
}

ChildProgram::~ChildProgram() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_in >= 0) {
        close(m_in);
    }
    if (m_out >= 0) {
        close(m_out);
    }
}

bool ChildProgram::ReadUntil(std::string_view marker, std::chrono::milliseconds bound) {
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (m_output.find(marker) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{m_out, POLLIN, 0};
        if (m_out < 0 || left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buf[4096];
        const ssize_t n = read(m_out, buf, sizeof buf);
        if (n <= 0) {
            return false;
        }
        m_output.append(buf, static_cast<size_t>(n));
    }
    return true;
}

int ChildProgram::Finish(std::chrono::milliseconds bound) {
    if (m_pid <= 0) {
        return -1;
    }
    if (m_in >= 0) {
        close(m_in);
        m_in = -1;
    }
    const bool ended = WaitForProcessEnd(m_pid, bound);
    if (!ended) {
        kill(m_pid, SIGKILL);
    }
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool WaitForProcessEnd(pid_t pid, std::chrono::milliseconds bound) {
    const int fd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
        return errno == ESRCH;
    }
    pollfd p{fd, POLLIN, 0};
    const bool ended = poll(&p, 1, static_cast<int>(bound.count())) > 0;
    close(fd);
    return ended;
}

std::vector<pid_t> ChildProcessesOf(pid_t parent) {
    std::vector<pid_t> children;
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end;
         it.increment(error)) {
        std::ifstream stat(it->path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // "<pid> (<name>) <state> <ppid> ...": the name may hold blanks and parentheses.
        const size_t nameEnd = line.rfind(") ");
        if (nameEnd == std::string::npos || nameEnd + 4 >= line.size()) {
            continue;
        }
        const char state = line[nameEnd + 2];
        const pid_t ppid = static_cast<pid_t>(std::atol(line.c_str() + nameEnd + 4));
        if (ppid == parent && state != 'Z' && state != 'X') {
            children.push_back(static_cast<pid_t>(std::atol(line.c_str())));
        }
    }
    return children;
}

}  // namespace testsupport
