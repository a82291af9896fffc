#include "platform/ProcessSpawn.h"

#include <signal.h>
#include <spawn.h>

extern char** environ;

namespace platform {

SpawnResult SpawnProcess(const std::filesystem::path& executable,
                         const std::vector<std::string>& argv,
                         const std::filesystem::path& workingDirectory) {
    SpawnResult result;
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
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
