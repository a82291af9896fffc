#include "support/XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {

XvfbDisplay::XvfbDisplay(const std::string& screen, bool endWithLastClient) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    // The child gets the pipe's write end on a number of its own, where -displayfd finds it.
    const int childFd = std::max(fds[0], fds[1]) + 1;
    const std::string childFdText = std::to_string(childFd);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], childFd);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<const char*> argv{"Xvfb", "-displayfd",   childFdText.c_str(), "-screen",
                                  "0",    screen.c_str(), "-nolisten",         "tcp"};
    argv.push_back(endWithLastClient ? "-terminate" : "-noreset");
    argv.push_back(nullptr);
    pid_t pid = -1;
    const bool spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr,
                                      const_cast<char**>(argv.data()), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (!spawned) {
        close(fds[0]);
        return;
    }
    // The server writes its display number once it accepts connections.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (number.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buf[16];
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        number.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return;
    }
    number.erase(number.find('\n'));
    m_pid = pid;
    m_name = ":" + number;
}

XvfbDisplay::~XvfbDisplay() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (waitpid(m_pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace testsupport
