#pragma once
// The game's command: its executable, working folder and arguments, composed from the
// launcher's own arguments, the login parameters and the channel's extra parameters.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct GameCommand {
    std::filesystem::path executable;        // <client>/vorn/vorn
    std::filesystem::path workingDirectory;  // <client>/vorn
    std::vector<std::string> argv;
};

// The launcher's argv as given, then "--parameters=…", "--plat_extra=…" and, when `luaPath`
// is set, "--luapath=…": one argument each, values inserted as they are.
GameCommand BuildGameCommand(const std::filesystem::path& clientDir,
                             const std::vector<std::string>& launcherArgv,
                             std::string_view loginParam, std::string_view customParameters,
                             const std::optional<std::string>& luaPath);

// The first line of the lua path file (at most 259 bytes, a line feed kept; "" for an empty
// file). nullopt when the file does not exist or cannot be read: the game then starts without
// --luapath.
std::optional<std::string> ReadLuaPath(const std::filesystem::path& file);

// The arguments joined by blanks, for the log.
std::string JoinArguments(const std::vector<std::string>& argv);
