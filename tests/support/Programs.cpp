#include "support/Programs.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/TempHome.h"

extern char** environ;

namespace testsupport {

int RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& workDir,
               std::string* output) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);

    std::string outFile = (std::filesystem::temp_directory_path() / "launcher-out-XXXXXX").string();
    const int outFd = mkostemp(outFile.data(), O_CLOEXEC);
    if (outFd < 0) {
        return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, outFd, 2);
    if (!workDir.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
    }
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    int status = 0;
    if (spawned == 0) {
        waitpid(pid, &status, 0);
    }
    if (output != nullptr) {
        *output = ReadFile(outFile);
    }
    unlink(outFile.c_str());
    if (spawned != 0 || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace testsupport
