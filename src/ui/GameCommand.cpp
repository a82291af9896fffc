#include "ui/GameCommand.h"

#include <cstdio>

GameCommand BuildGameCommand(const std::filesystem::path& clientDir,
                             const std::vector<std::string>& launcherArgv,
                             std::string_view loginParam, std::string_view customParameters,
                             const std::optional<std::string>& luaPath) {
    GameCommand command;
    command.workingDirectory = clientDir / "vorn";
    command.executable = command.workingDirectory / "vorn";
    command.argv = launcherArgv;
    command.argv.push_back("--parameters=" + std::string(loginParam));
    command.argv.push_back("--plat_extra=" + std::string(customParameters));
    if (luaPath) {
        command.argv.push_back("--luapath=" + *luaPath);
    }
    return command;
}

std::optional<std::string> ReadLuaPath(const std::filesystem::path& file) {
    FILE* in = std::fopen(file.c_str(), "re");
    if (in == nullptr) {
        return std::nullopt;
    }
    char line[260] = {};
    std::string text;
    if (std::fgets(line, sizeof line, in) != nullptr) {
        text = line;
    } else if (std::ferror(in)) {
        std::fclose(in);
        return std::nullopt;  // a folder of that name, for one
    }
    std::fclose(in);
    return text;
}

std::string JoinArguments(const std::vector<std::string>& argv) {
    std::string out;
    for (const auto& arg : argv) {
        if (!out.empty()) {
            out += ' ';
        }
        out += arg;
    }
    return out;
}
