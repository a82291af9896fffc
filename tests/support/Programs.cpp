#include "support/Programs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport {

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
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
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

}  // namespace testsupport
