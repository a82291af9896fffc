#include "platform/ProcessSpawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

extern char** environ;

namespace platform {

namespace {

std::vector<char*> Pointers(const std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (const auto& text : strings) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

SpawnResult SpawnProcess(const std::filesystem::path& executable,
                         const std::vector<std::string>& argv, const SpawnOptions& options) {
    SpawnResult result;
    std::vector<char*> args = Pointers(argv);
    std::vector<char*> environment;
    if (options.environment != nullptr) {
        environment = Pointers(*options.environment);
    }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (options.detached) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    }
    if (!options.workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, options.workingDirectory.c_str());
    }
    // The child gets a clean signal state: nothing blocked, nothing ignored that the launcher's
    // toolkit may have set up (SIGPIPE, for one).
    sigset_t empty;
    sigemptyset(&empty);
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    posix_spawnattr_setsigmask(&attr, &empty);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int rc =
        posix_spawn(&result.pid, executable.c_str(), &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    result.started = rc == 0;
    result.error = rc;
    if (!result.started) {
        result.pid = -1;
    }
    return result;
}

}  // namespace platform
