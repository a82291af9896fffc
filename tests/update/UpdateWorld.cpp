#include "UpdateWorld.h"

#include <gtest/gtest.h>

#include <set>

#include "support/Programs.h"

namespace testsupport {
namespace fs = std::filesystem;

UpdateWorld::UpdateWorld()
    : installDir(home.Root() / "games" / "vorn-lunet"),
      clientDir(installDir / "client"),
      launcher(home.Root() / "games" / "Brannoc") {
    fs::create_directories(clientDir);
    WriteFile(launcher, "#!/bin/sh\n# the launcher\n");
}

UpdateContext UpdateWorld::Context(const std::string& configUrl) {
    UpdateContext context = UpdateContext::ForLauncher(installDir, clientDir, reporter);
    context.configUrl = configUrl;
    context.ownExecutable = launcher;
    context.connectTimeout = std::chrono::milliseconds(2000);
    context.stallTimeout = std::chrono::milliseconds(1000);
    return context;
}

std::unique_ptr<CGameRemoteConfig> UpdateWorld::NewConfig(const std::string& configUrl) {
    return std::make_unique<CGameRemoteConfig>(configUrl.empty() ? Context() : Context(configUrl));
}

bool RunPython(const std::string& code, const fs::path& workDir) {
    const ProgramResult result = RunProgram({"python3", "-c", code}, workDir);
    if (result.exitCode != 0) {
        ADD_FAILURE() << "python3 failed: " << result.output;
    }
    return result.exitCode == 0;
}

std::string DescribeTree(const fs::path& root) {
    std::set<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_directory()) {
            lines.insert(relative + "/");
        } else {
            lines.insert(relative + "=" + ReadFile(entry.path()));
        }
    }
    std::string out;
    for (const auto& line : lines) {
        out += line + "\n";
    }
    return out;
}

}  // namespace testsupport
